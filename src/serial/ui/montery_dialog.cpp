// "Interfaccia Montery 140...": the dialog and its menu command.
#include "serial/ui/montery_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/ui/gui_command.h"
#include "serial/messages.h"
#include "serial/ui/serial_gui.h"

namespace pelorus {
namespace {

QString Text(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

MonteryDialog::MonteryDialog(QWidget* owner, MonteryMonitor& monitor)
    : QDialog(owner), monitor_(monitor) {
  setWindowTitle(msg::kMonteryDialogTitle);
  receiverChannel_ = new QLabel(this);
  satellite_ = new QLabel(this);
  channelText_ = new QLabel(this);
  for (QLabel* label : {receiverChannel_, satellite_, channelText_}) {
    label->setMinimumWidth(260);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
  }
  commands_ = new QPlainTextEdit(this);
  commands_->setReadOnly(true);
  commands_->setFixedHeight(commands_->fontMetrics().lineSpacing() * 3 + 12);

  auto* fields = new QFormLayout;
  fields->addRow(msg::kMonteryReceiverCaption, receiverChannel_);
  fields->addRow(msg::kMonterySatelliteCaption, satellite_);
  fields->addRow(msg::kMonteryChannelCaption, channelText_);
  fields->addRow(msg::kMonteryCommandsCaption, commands_);

  note_ = new QLabel(this);
  note_->setObjectName(QStringLiteral("satelliteNote"));
  note_->setWordWrap(true);
  note_->hide();

  auto* buttons = new QDialogButtonBox(this);
  QPushButton* close = buttons->addButton(msg::kMonteryClose, QDialogButtonBox::RejectRole);
  close->setDefault(true);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(fields);
  layout->addWidget(note_);
  layout->addWidget(buttons);

  monitor_.onViewChanged = [this](const MonteryView& view) { ShowView(view); };
  timer_.setInterval(kMonteryTickMs);
  connect(&timer_, &QTimer::timeout, this, &MonteryDialog::TickNow);
}

void MonteryDialog::Start() { timer_.start(); }

void MonteryDialog::TickNow() {
  // A sending waits through the link, which lets the timer fire again meanwhile.
  if (ticking_) return;
  ticking_ = true;
  monitor_.Tick();
  ticking_ = false;
}

void MonteryDialog::ShowView(const MonteryView& view) {
  receiverChannel_->setText(Text(view.receiverChannel));
  satellite_->setText(Text(view.satellite));
  channelText_->setText(Text(view.channelText));
  note_->setText(Text(view.note));
  note_->setVisible(!view.note.empty());
  // The commands end with a carriage return, which the device wants and the display does not.
  commands_->setPlainText(Text(view.commands).remove(QLatin1Char('\r')));
}

namespace {

// What was sent last stays known for as long as the program runs.
MonterySent& LastSent() {
  static MonterySent sent;
  return sent;
}

void RunMonteryInterface(GuiContext& context) {
  if (!MonteryInterfaceAllowed(context.state, context.ui)) return;
  // Without a profile every satellite goes by its own name; one the user made must be readable.
  std::string why;
  const std::optional<ProfileIni> ini = LoadMonteryProfile("", why);
  if (!ini) {
    context.ui.ShowDetailedMessage(msg::kCannotReadMonteryProfile, why, Icon::kStop);
    return;
  }
  const MonteryProfile profile(*ini);
  MonteryMonitor monitor(context.state, SerialGui::For(context).link(), profile, LastSent());
  MonteryDialog dialog(context.window, monitor);
  dialog.Start();
  dialog.exec();
}

const GuiCommandRegistrar kMontery(cmd::kMontery, RunMonteryInterface);

}  // namespace
}  // namespace pelorus
