// "&Esporta..." and "Importa...": channels to and from fixed-width text files.
#include <QButtonGroup>
#include <QDialog>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/commands.h"
#include "app/ui/gui_command.h"
#include "channels/text_transfer.h"

namespace pelorus {
namespace {

// The export choice lives as long as the program runs and is not saved.
bool exportSelected = false;

// The "Esporta Canali" choice, asked just before the file is chosen. Cancel keeps the choice.
void ChooseExportMode(QWidget* owner, bool& selected) {
  QDialog dialog(owner);
  dialog.setObjectName(QStringLiteral("exportChoice"));
  dialog.setWindowTitle(QStringLiteral("Esporta Canali"));
  auto* group = new QGroupBox(QStringLiteral("Esporta Canali"));
  auto* all = new QRadioButton(QStringLiteral("Esporta Tutto"));
  auto* some = new QRadioButton(QStringLiteral("Esporta Selezionato"));
  all->setObjectName(QStringLiteral("export1027"));
  some->setObjectName(QStringLiteral("export1028"));
  (selected ? some : all)->setChecked(true);
  auto* groupLayout = new QVBoxLayout(group);
  groupLayout->addWidget(all);
  groupLayout->addWidget(some);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  auto* layout = new QVBoxLayout(&dialog);
  layout->addWidget(group);
  layout->addWidget(buttons);
  if (dialog.exec() == QDialog::Accepted) selected = some->isChecked();
}

void RunExport(GuiContext& context) {
  ExportChannels(context.state, context.ui, context.selectedRows(), exportSelected,
                 [&context](bool& selected) { ChooseExportMode(context.window, selected); });
}

void RunImport(GuiContext& context) { ImportChannels(context.state, context.ui); }

const GuiCommandRegistrar kExport(cmd::kExport, RunExport);
const GuiCommandRegistrar kImport(cmd::kImport, RunImport);

}  // namespace
}  // namespace pelorus
