// "Confronta con File...": the channels added, removed, moved and changed since the chosen file,
// in a window of their own.
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/ui/gui_command.h"
#include "channels/compare_file.h"
#include "channels/messages.h"
#include "common/command_ids.h"

namespace pelorus {
namespace {

void RunCompare(GuiContext& context) {
  const std::optional<FileComparison> comparison = CompareWithFile(context.state, context.ui);
  if (!comparison) return;
  QDialog dialog(context.window);
  dialog.setObjectName(QStringLiteral("compareWindow"));
  dialog.setWindowTitle(QString::fromUtf8(msg::kCompareTitle));
  auto* layout = new QVBoxLayout(&dialog);
  layout->addWidget(new QLabel(QString::fromStdString(comparison->path), &dialog));
  auto* tree = new QTreeWidget(&dialog);
  tree->setObjectName(QStringLiteral("differences"));
  tree->setHeaderHidden(true);
  tree->setUniformRowHeights(true);
  // The report's group lines stand at the left, their channels indented under them.
  QTreeWidgetItem* group = nullptr;
  for (const std::string& line : comparison->lines) {
    const QString text = QString::fromStdString(line);
    if (!line.starts_with("  ")) {
      group = new QTreeWidgetItem(tree, {text});
    } else if (group != nullptr) {
      new QTreeWidgetItem(group, {text.trimmed()});
    }
  }
  tree->expandAll();
  layout->addWidget(tree, 1);
  // The program's buttons speak Italian; the toolkit's standard "Close" would not.
  auto* buttons = new QDialogButtonBox(&dialog);
  QPushButton* close =
      buttons->addButton(QString::fromUtf8(msg::kCompareClose), QDialogButtonBox::RejectRole);
  close->setObjectName(QStringLiteral("close"));
  close->setDefault(true);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  layout->addWidget(buttons);
  dialog.resize(640, 480);
  dialog.exec();
}

const GuiCommandRegistrar kCompare(cmd::kCompareWithFile, RunCompare);

}  // namespace
}  // namespace pelorus
