#include "serial/subroutine_upload.h"

#include <algorithm>

#include "common/file_io.h"
#include "common/strfmt.h"
#include "serial/messages.h"
#include "serial/serial_checksum.h"

namespace pelorus {
namespace {

constexpr size_t kUploadBlock = 1024;

}  // namespace

bool UploadSubroutine(SerialLink& link, const EditorState& state, const std::string& file,
                      bool keepOpen, BusyCursor& busy) {
  Ui& ui = link.ui();
  const FileContents contents = ReadWholeFile(file);
  if (!contents.opened) {
    ui.ShowDetailedMessage(Format(msg::kUnableToOpenSubroutine, file.c_str()),
                           FileProblemText(file, contents), Icon::kStop);
    return false;
  }
  if (contents.readFailed) ui.ShowMessage(msg::kSubroutineReadShort, Icon::kInformation);
  const std::vector<uint8_t>& code = contents.bytes;

  // The debug terminal may still hold the port from the last upload.
  link.Close();
  if (!OpenSerialPort(link, state)) return false;
  ui.SetStatusText(msg::kSendingSubroutine);
  link.slowSend = true;
  if (!GetAttention(link, busy)) {
    link.slowSend = false;
    return false;
  }
  link.Write(Format("D%08X", static_cast<unsigned>(code.size())));
  link.slowSend = false;

  // Even an empty subroutine shows its (zero) remaining bytes once.
  size_t offset = 0;
  do {
    const size_t block = std::min(kUploadBlock, code.size() - offset);
    ui.SetStatusText(
        Format(msg::kSubroutineRemaining, static_cast<int>(code.size() - offset - block)));
    link.Write(std::span(code).subspan(offset, block));
    offset += block;
  } while (offset < code.size());
  const uint8_t checksum = SerialChecksum(code);
  link.Write(std::span(&checksum, 1));

  if (keepOpen) {
    link.held = true;
  } else {
    link.Close();
  }
  ui.SetStatusText("");
  return true;
}

bool UploadSubroutineCommand(EditorState& state, SerialLink& link) {
  Ui& ui = link.ui();
  std::string file;
  if (!state.commandLineFile.empty()) {
    file = std::move(state.commandLineFile);
    state.commandLineFile.clear();
  } else {
    FileRequest request;
    request.title = msg::kOpenSubroutineTitle;
    request.filterName = msg::kSubroutineFilterName;
    request.filterPattern = msg::kSubroutineFilterPattern;
    request.defaultExtension = msg::kSubroutineExtension;
    request.initialDir = state.options.sbrInitialDir;
    request.path = msg::kSubroutineInitialName;
    if (!ui.ShowOpenDialog(request)) return false;
    file = request.path;
    state.options.sbrInitialDir = FolderOf(file);
  }
  BusyCursor busy(ui);
  busy.Begin();
  const bool sent = UploadSubroutine(link, state, file, link.serialDebug, busy);
  busy.End();
  return sent;
}

}  // namespace pelorus
