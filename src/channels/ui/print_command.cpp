// The Print command: the list laid out by the core, drawn on the printer chosen in the print
// dialog (which offers "selection" and, through the platform, printing to a PDF file).
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <algorithm>

#include "app/commands.h"
#include "app/shell.h"
#include "app/ui/gui_command.h"
#include "channels/messages.h"
#include "channels/print_layout.h"
#include "channels/qt/print_painter.h"

namespace pelorus {
namespace {

void RunPrint(GuiContext& context) {
  if (!RequireSettings(context.state, context.ui)) return;
  QPrinter printer(QPrinter::HighResolution);
  printer.setDocName(QString::fromLatin1(msg::kPrintDocumentName));
  printer.setCopyCount(1);
  QPrintDialog dialog(&printer, context.window);
  dialog.setOption(QAbstractPrintDialog::PrintSelection, true);
  dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
  if (dialog.exec() != QDialog::Accepted) return;

  const bool selectedOnly = printer.printRange() == QPrinter::Selection;
  const std::vector<int> rows = context.selectedRows();
  BusyScope busy(context.ui);
  QPainter painter;
  // Printer errors are not reported: the printing system tells the user about its own faults.
  if (!painter.begin(&printer)) return;
  const PrintFonts fonts(printer);
  const std::vector<PrintOp> ops = LayOutChannelList(
      *context.state.settingsImage,
      context.state.options.decimal ? PidMode::kDecimal : PidMode::kHexadecimal, selectedOnly,
      [&rows](int row) { return std::binary_search(rows.begin(), rows.end(), row); },
      fonts.Metrics(printer));
  PaintPrintLayout(painter, printer, fonts, ops);
  painter.end();
}

const GuiCommandRegistrar kPrint(cmd::kPrint, RunPrint);

}  // namespace
}  // namespace pelorus
