#include "streams/ui/stream_save_dialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGridLayout>
#include <QLineEdit>

#include "streams/messages.h"
#include "streams/stream_capture.h"

namespace pelorus {
namespace {

constexpr int kFieldLength = 32;

QString Text(const char* text) { return QString::fromUtf8(text); }
QString Text(const std::string& text) { return QString::fromStdString(text); }

QFileDialog* SaveDialog(QWidget* owner, const FileRequest& file) {
  auto* dialog =
      new QFileDialog(owner, Text(file.title), Text(file.initialDir), Text(file.filterName));
  dialog->setOption(QFileDialog::DontUseNativeDialog);
  dialog->setAcceptMode(QFileDialog::AcceptSave);
  dialog->setFileMode(QFileDialog::AnyFile);
  dialog->setOption(QFileDialog::DontConfirmOverwrite, !file.overwritePrompt);
  dialog->setDefaultSuffix(Text(file.defaultExtension));
  if (!file.path.empty()) dialog->selectFile(Text(file.path));
  return dialog;
}

// The options go under the dialog's own controls, across its whole width.
QFormLayout* AddPanel(QFileDialog* dialog) {
  auto* panel = new QWidget(dialog);
  panel->setObjectName(QStringLiteral("streamOptions"));
  auto* form = new QFormLayout(panel);
  form->setContentsMargins(0, 0, 0, 0);
  if (auto* grid = qobject_cast<QGridLayout*>(dialog->layout())) {
    grid->addWidget(panel, grid->rowCount(), 0, 1, grid->columnCount());
  }
  return form;
}

QLineEdit* AddField(QFormLayout* form, const char* name, const char* label,
                    const std::string& text) {
  auto* field = new QLineEdit(Text(text));
  field->setObjectName(QString::fromLatin1(name));
  field->setMaxLength(kFieldLength);
  form->addRow(Text(label), field);
  return field;
}

QCheckBox* AddCheck(QFormLayout* form, const char* name, const char* label, bool checked) {
  auto* box = new QCheckBox(Text(label));
  box->setObjectName(QString::fromLatin1(name));
  box->setChecked(checked);
  form->addRow(QString(), box);
  return box;
}

bool Confirmed(QFileDialog* dialog, FileRequest& file) {
  const bool confirmed = dialog->exec() == QDialog::Accepted && !dialog->selectedFiles().isEmpty();
  if (confirmed) file.path = dialog->selectedFiles().front().toStdString();
  return confirmed;
}

}  // namespace

QFileDialog* BuildCaptureSaveDialog(QWidget* owner, CaptureDialogRequest& request) {
  QFileDialog* dialog = SaveDialog(owner, request.file);
  QFormLayout* form = AddPanel(dialog);
  QLineEdit* pid = AddField(form, "pid", msg::streams::kPidLabel, request.pidText);
  QLineEdit* threshold =
      AddField(form, "threshold", msg::streams::kThresholdLabel, request.thresholdText);
  auto* mode = new QComboBox;
  mode->setObjectName(QStringLiteral("mode"));
  for (const char* name : msg::streams::kModeNames) mode->addItem(Text(name));
  mode->setCurrentIndex(request.mode);
  form->addRow(Text(msg::streams::kModeLabel), mode);
  QCheckBox* ts2es = AddCheck(form, "ts2es", msg::streams::kTs2EsLabel, request.ts2es);
  QCheckBox* sync = AddCheck(form, "syncVideo", msg::streams::kSyncVideoLabel, request.syncVideo);
  // The conversion needs whole packets, which only the last mode delivers.
  auto enableConversion = [ts2es, mode] {
    ts2es->setEnabled(mode->currentIndex() == kModeEntirePackets);
  };
  enableConversion();
  QObject::connect(mode, &QComboBox::currentIndexChanged, dialog, enableConversion);
  QObject::connect(dialog, &QDialog::finished, dialog, [=, &request] {
    request.pidText = pid->text().toStdString();
    request.thresholdText = threshold->text().toStdString();
    request.mode = mode->currentIndex();
    request.ts2es = ts2es->isChecked();
    request.syncVideo = sync->isChecked();
  });
  return dialog;
}

QFileDialog* BuildRecordSaveDialog(QWidget* owner, RecordDialogRequest& request) {
  QFileDialog* dialog = SaveDialog(owner, request.file);
  QFormLayout* form = AddPanel(dialog);
  for (QLineEdit* shown :
       {AddField(form, "videoPid", msg::streams::kVideoPidLabel, request.videoPidText),
        AddField(form, "audioPid", msg::streams::kAudioPidLabel, request.audioPidText),
        AddField(form, "pcrPid", msg::streams::kPcrPidLabel, request.pcrPidText)}) {
    shown->setReadOnly(true);
  }
  QCheckBox* waitPcr = AddCheck(form, "waitPcr", msg::streams::kWaitPcrLabel, request.waitPcr);
  QCheckBox* busy = AddCheck(form, "scsiBusy", msg::streams::kScsiBusyLabel, request.scsiBusy);
  auto* ac3 = new QCheckBox(Text(msg::streams::kAc3Label));
  ac3->setObjectName(QStringLiteral("ac3"));
  ac3->setChecked(request.ac3);
  auto* ac3Pid = new QLineEdit(Text(request.ac3PidText));
  ac3Pid->setObjectName(QStringLiteral("ac3Pid"));
  ac3Pid->setMaxLength(kFieldLength);
  ac3Pid->setEnabled(request.ac3);
  form->addRow(ac3, ac3Pid);
  QObject::connect(ac3, &QCheckBox::toggled, ac3Pid, &QWidget::setEnabled);
  QObject::connect(dialog, &QDialog::finished, dialog, [=, &request] {
    request.waitPcr = waitPcr->isChecked();
    request.scsiBusy = busy->isChecked();
    request.ac3 = ac3->isChecked();
    request.ac3PidText = ac3Pid->text().toStdString();
  });
  return dialog;
}

bool ShowCaptureSaveDialog(QWidget* owner, CaptureDialogRequest& request) {
  QFileDialog* dialog = BuildCaptureSaveDialog(owner, request);
  const bool confirmed = Confirmed(dialog, request.file);
  delete dialog;
  return confirmed;
}

bool ShowRecordSaveDialog(QWidget* owner, RecordDialogRequest& request) {
  QFileDialog* dialog = BuildRecordSaveDialog(owner, request);
  const bool confirmed = Confirmed(dialog, request.file);
  delete dialog;
  return confirmed;
}

}  // namespace pelorus
