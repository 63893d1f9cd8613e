// pelorus-cli print: the list's printout as a PDF file, laid out exactly as the desktop prints.
#include <QBuffer>
#include <QByteArray>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QString>
#include <algorithm>
#include <string>
#include <vector>

#include "channels/messages.h"
#include "channels/print_layout.h"
#include "channels/qt/print_painter.h"
#include "channels/row_list.h"
#include "channels/settings_file.h"
#include "cli.h"
#include "common/file_io.h"
#include "common/strfmt.h"

namespace pelorus {
namespace {

constexpr int kPdfResolution = 300;

// Fonts need a QGuiApplication. A console has no display, so it uses the offscreen platform
// unless the environment names another. The application lives until the process ends.
bool EnsureGuiApplication() {
  if (QCoreApplication::instance() != nullptr) {
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
  }
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  static int argc = 1;
  static char name[] = "pelorus-cli";
  static char* argv[] = {name, nullptr};
  new QGuiApplication(argc, argv);
  return true;
}

int RunPrint(const ParsedLine& line, CliContext& context) {
  const std::vector<std::string>& files = line.Names();
  const std::string rowText = line.ValueOr("--rows", "");
  const bool hasRows = line.Has("--rows");

  EditorState state;
  state.commandLineFile = files[0];
  if (!OpenSettingsFile(state, context.ui)) return kExitFailed;
  std::vector<int> rows;
  if (hasRows && !ParseRowList(rowText, state.ChannelCount(), rows)) {
    std::fprintf(context.err, "invalid row list \"%s\" for %d channels\n", rowText.c_str(),
                 state.ChannelCount());
    return kExitUsage;
  }
  if (!EnsureGuiApplication()) {
    std::fprintf(context.err, "cannot print: the program runs without Qt's GUI support\n");
    return kExitFailed;
  }

  // Painted into memory and saved like any file, so that what stands at the path (a FIFO, a
  // device, a link) is treated as a save treats it, and a failure leaves the old file.
  QBuffer document;
  document.open(QIODevice::WriteOnly);
  QPdfWriter writer(&document);
  writer.setTitle(QString::fromLatin1(msg::kPrintDocumentName));
  writer.setResolution(kPdfResolution);
  writer.setPageSize(QPageSize(QPageSize::A4));
  writer.setPageMargins(QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter);
  QPainter painter;
  if (!painter.begin(&writer)) {
    context.ui.ShowMessage(msg::kUnableToOpenForOutput, Icon::kInformation);
    return kExitFailed;
  }
  const PrintFonts fonts(writer);
  const PrintMetrics metrics = fonts.Metrics(writer);
  const std::vector<PrintOp> ops = LayOutChannelList(
      *state.settingsImage, state.options.decimal ? PidMode::kDecimal : PidMode::kHexadecimal,
      hasRows, [&rows](int row) { return std::binary_search(rows.begin(), rows.end(), row); },
      metrics);
  PaintPrintLayout(painter, writer, fonts, ops);
  if (!painter.end()) {
    context.ui.ShowMessage(msg::kUnableToOpenForOutput, Icon::kInformation);
    return kExitFailed;
  }
  const QByteArray& pdf = document.data();
  WriteFailure failure;
  switch (WriteFileAtomically(
      files[1],
      std::span(reinterpret_cast<const uint8_t*>(pdf.constData()), static_cast<size_t>(pdf.size())),
      &failure)) {
    case WriteResult::kCannotCreate:
      context.ui.ShowDetailedMessage(msg::kUnableToOpenForOutput, WriteFailureText(failure),
                                     Icon::kInformation);
      return kExitFailed;
    case WriteResult::kWriteFailed:
      context.ui.ShowDetailedMessage(Format(msg::kUnableToWriteFile, files[1].c_str()),
                                     WriteFailureText(failure), Icon::kStop);
      return kExitFailed;
    case WriteResult::kDone:
      break;
  }
  return kExitDone;
}

}  // namespace

const CliCommandRegistrar kPrintCommand({"print",
                                         {{{"IN.dvb", "the settings file"},
                                           {"OUT.pdf", "the printout"}},
                                          {{"--rows", "LIST", "only these rows, e.g. 1-3,7"}}},
                                         RunPrint});

}  // namespace pelorus
