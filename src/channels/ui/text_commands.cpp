// "&Esporta..." and "Importa...": channels to and from fixed-width text files.
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QRadioButton>
#include <QVBoxLayout>
#include <vector>

#include "app/commands.h"
#include "app/ui/gui_command.h"
#include "channels/text_transfer.h"

namespace pelorus {
namespace {

// The export choice lives as long as the program runs and is not saved.
bool exportSelected = false;

QString Text(const std::string& text) { return QString::fromStdString(text); }

// The main window's Ui, except that the save dialog carries the "Esporta Canali" panel: ticking
// a button sets the export mode at once, as the user sees it.
class ExportUi : public Ui {
 public:
  ExportUi(Ui& base, QWidget* owner, bool& selected)
      : base_(base), owner_(owner), selected_(selected) {}

  bool ShowSaveDialog(FileRequest& request) override {
    QFileDialog dialog(owner_, Text(request.title), Text(request.initialDir),
                       Text(request.filterName));
    // The panel needs the toolkit's own dialog; a platform dialog cannot take extra widgets.
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(Text(request.defaultExtension));
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.overwritePrompt);
    if (!request.path.empty()) dialog.selectFile(Text(request.path));

    auto* group = new QGroupBox(QStringLiteral("Esporta Canali"));
    auto* all = new QRadioButton(QStringLiteral("Esporta Tutto"));
    auto* some = new QRadioButton(QStringLiteral("Esporta Selezionato"));
    all->setObjectName(QStringLiteral("export1027"));
    some->setObjectName(QStringLiteral("export1028"));
    (selected_ ? some : all)->setChecked(true);
    QObject::connect(some, &QRadioButton::toggled, group,
                     [this](bool checked) { selected_ = checked; });
    auto* panel = new QVBoxLayout(group);
    panel->addWidget(all);
    panel->addWidget(some);
    if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout())) {
      grid->addWidget(group, grid->rowCount(), 0, 1, grid->columnCount());
    } else if (dialog.layout() != nullptr) {
      dialog.layout()->addWidget(group);
    }

    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
    request.path = dialog.selectedFiles().front().toStdString();
    return true;
  }

  void ShowMessage(std::string_view text, Icon icon) override { base_.ShowMessage(text, icon); }
  void ShowDetailedMessage(std::string_view text, std::string_view detail, Icon icon) override {
    base_.ShowDetailedMessage(text, detail, icon);
  }
  Answer Ask(std::string_view text, Buttons buttons, Icon icon, Answer answer) override {
    return base_.Ask(text, buttons, icon, answer);
  }
  bool ShowOpenDialog(FileRequest& request) override { return base_.ShowOpenDialog(request); }
  void SetStatusText(std::string_view text) override { base_.SetStatusText(text); }
  void SetProgress(int percent, bool visible) override { base_.SetProgress(percent, visible); }
  void BeginBusy() override { base_.BeginBusy(); }
  void EndBusy() override { base_.EndBusy(); }
  void KeepAlive() override { base_.KeepAlive(); }
  void Beep() override { base_.Beep(); }
  void SetWindowTitle(std::string_view title) override { base_.SetWindowTitle(title); }
  void RefillChannelList() override { base_.RefillChannelList(); }

 private:
  Ui& base_;
  QWidget* owner_;
  bool& selected_;
};

void RunExport(GuiContext& context) {
  ExportUi ui(context.ui, context.window, exportSelected);
  ExportChannels(context.state, ui, context.selectedRows(), exportSelected, nullptr);
}

// The channels are appended below the existing rows, whose selection stays as it was.
void RunImport(GuiContext& context) {
  const std::vector<int> selected = context.selectedRows();
  if (ImportChannels(context.state, context.ui) > 0) context.selectRows(selected, -1);
}

const GuiCommandRegistrar kExport(cmd::kExport, RunExport);
const GuiCommandRegistrar kImport(cmd::kImport, RunImport);

}  // namespace
}  // namespace pelorus
