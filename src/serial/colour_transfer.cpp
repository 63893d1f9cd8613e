#include "serial/colour_transfer.h"

#include <cctype>
#include <chrono>
#include <filesystem>

#include "common/file_io.h"
#include "common/strfmt.h"
#include "serial/messages.h"
#include "serial/subroutine_upload.h"

namespace pelorus {
namespace {

constexpr int kColourTimeoutTicks = 20;
constexpr size_t kMaxFileWord = 260;
constexpr size_t kMaxHandleWord = 100;

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The handle word as "%x" reads it; digits beyond 32 bits keep the low ones, as an unsigned
// int does.
uint32_t ParseHexChunk(std::string_view chunk) {
  size_t at = 0;
  while (at < chunk.size() && std::isspace(static_cast<unsigned char>(chunk[at]))) ++at;
  if (at + 1 < chunk.size() && chunk[at] == '0' && (chunk[at + 1] == 'x' || chunk[at + 1] == 'X')) {
    at += 2;
  }
  uint32_t value = 0;
  for (; at < chunk.size() && HexDigit(chunk[at]) >= 0; ++at) {
    value = value << 4 | static_cast<uint32_t>(HexDigit(chunk[at]));
  }
  return value;
}

// The word that starts at `from` and runs to the next blank. `tooLong` says that it holds more
// than `limit` characters; it is then cut there.
std::string_view WordAt(std::string_view line, size_t from, size_t limit, size_t& next,
                        bool& tooLong) {
  tooLong = false;
  if (from >= line.size()) {
    next = line.size();
    return {};
  }
  const size_t blank = line.find(' ', from);
  const size_t end = blank == std::string_view::npos ? line.size() : blank;
  next = blank == std::string_view::npos ? line.size() : blank + 1;
  tooLong = end - from > limit;
  return line.substr(from, std::min(end - from, limit));
}

bool IsBlank(uint8_t byte) { return byte == ' ' || byte == '\t' || byte == '\r' || byte == '\n'; }

// Uploads "color.sbr" with keep-open and waits for its "!"; false (with the message, the port
// closed) when it never comes.
bool StartColourSubroutine(EditorState& state, SerialLink& link, const std::string& folder,
                           BusyCursor& busy) {
  Ui& ui = link.ui();
  const std::string subroutine =
      (std::filesystem::path(folder) / msg::kColourSubroutineName).string();
  if (!UploadSubroutine(link, state, subroutine, true, busy)) return false;
  ui.SetStatusText(msg::kWaitingForMediamaster);
  link.timeoutTicks = kColourTimeoutTicks;
  uint8_t byte = 0;
  while (link.Read(std::span(&byte, 1)) == 1) {
    if (byte == '!') return true;
  }
  busy.End();
  ui.ShowMessage(msg::kNoColourSubroutineAnswer, Icon::kStop);
  link.Close();
  return false;
}

}  // namespace

std::optional<ColourTable> ParseColourText(std::span<const uint8_t> text) {
  if (text.size() < kColourFileSize) return std::nullopt;
  for (size_t at = kColourFileSize; at < text.size(); ++at) {
    if (!IsBlank(text[at])) return std::nullopt;
  }
  ColourTable colours{};
  for (size_t i = 0; i < kColourFileSize; ++i) {
    const int digit = HexDigit(static_cast<char>(text[i]));
    if (digit < 0) return std::nullopt;
    colours[i / 8] = colours[i / 8] << 4 | static_cast<uint32_t>(digit);
  }
  return colours;
}

std::string FormatColourFile(const ColourTable& colours) {
  std::string text;
  for (const uint32_t colour : colours) text += Format("%08X", static_cast<unsigned>(colour));
  return text;
}

std::string ColourUploadFile(std::string_view commandLine) {
  const size_t blank = commandLine.find(' ');
  return blank == std::string_view::npos ? std::string()
                                         : std::string(commandLine.substr(blank + 1));
}

ColourDownloadRequest ParseColourDownloadLine(std::string_view commandLine) {
  ColourDownloadRequest request;
  const size_t blank = commandLine.find(' ');
  if (blank == std::string_view::npos) return request;
  request.hasLine = true;
  size_t next = 0;
  bool handleTooLong = false;
  request.file = WordAt(commandLine, blank + 1, kMaxFileWord, next, request.fileTooLong);
  request.handleWord = WordAt(commandLine, next, kMaxHandleWord, next, handleTooLong);
  request.handle = static_cast<uintptr_t>(ParseHexChunk(request.handleWord));
  return request;
}

bool UploadColours(EditorState& state, SerialLink& link, const std::string& programFolder) {
  Ui& ui = link.ui();
  const std::string file = ColourUploadFile(state.commandLineFile);
  if (file.empty()) {
    ui.ShowMessage(msg::kColourFilenameNotSpecified, Icon::kStop);
    return false;
  }
  const FileContents contents = ReadWholeFile(file);
  if (!contents.opened || contents.readFailed) {
    ui.ShowDetailedMessage(Format(msg::kUnableToOpenColourFile, file.c_str()),
                           FileProblemText(file, contents), Icon::kInformation);
    return false;
  }
  const std::optional<ColourTable> colours = ParseColourText(contents.bytes);
  if (!colours) {
    ui.ShowMessage(Format(msg::kColourFileNotFiveColours, file.c_str()), Icon::kInformation);
    return false;
  }
  BusyCursor busy(ui);
  busy.Begin();
  if (!StartColourSubroutine(state, link, programFolder, busy)) return false;
  ui.SetStatusText(msg::kSendingColours);
  link.Write("W");
  for (const uint32_t colour : *colours) {
    link.Pause(std::chrono::milliseconds(100));
    link.WriteLong(colour);
  }
  link.Close();
  ui.SetStatusText("");
  return true;
}

uintptr_t DownloadColours(EditorState& state, SerialLink& link, const std::string& programFolder) {
  Ui& ui = link.ui();
  const ColourDownloadRequest request = ParseColourDownloadLine(state.commandLineFile);
  if (!request.hasLine) {
    ui.ShowMessage(msg::kNoColourDownloadLine, Icon::kStop);
    return 0;
  }
  if (request.file.empty()) {
    ui.ShowMessage(msg::kNoColourDownloadFilename, Icon::kStop);
    return 0;
  }
  // A cut name would be another file: nothing is written under it.
  if (request.fileTooLong) {
    ui.ShowDetailedMessage(Format(msg::kUnableToOpenColourFile, request.file.c_str()),
                           Format(msg::kColourNameTooLong, static_cast<int>(kMaxFileWord)),
                           Icon::kInformation);
    return 0;
  }
  if (request.handleWord.empty()) {
    ui.ShowMessage(msg::kNoColourProgramHandle, Icon::kStop);
    return 0;
  }
  BusyCursor busy(ui);
  busy.Begin();
  if (!StartColourSubroutine(state, link, programFolder, busy)) return 0;
  ui.SetStatusText(msg::kReadingColours);
  link.Write("R");
  std::array<uint8_t, kColourFileSize> answer{};
  const size_t received = link.Read(answer);
  link.Close();
  if (received < answer.size()) {
    busy.End();
    ui.ShowMessage(Format(msg::kColourAnswerShort, static_cast<int>(received)), Icon::kStop);
    return 0;
  }
  const std::optional<ColourTable> colours = ParseColourText(answer);
  if (!colours) {
    busy.End();
    ui.ShowMessage(msg::kColourAnswerNotHex, Icon::kStop);
    return 0;
  }
  const std::string text = FormatColourFile(*colours);
  const std::span<const uint8_t> bytes(reinterpret_cast<const uint8_t*>(text.data()), text.size());
  WriteFailure failure;
  if (WriteFileAtomically(request.file, bytes, &failure) != WriteResult::kDone) {
    busy.End();
    ui.ShowDetailedMessage(Format(msg::kUnableToOpenColourFile, request.file.c_str()),
                           WriteFailureText(failure), Icon::kInformation);
    return 0;
  }
  ui.SetStatusText("");
  return request.handle;
}

void NotifyColourProgram(uintptr_t) {}

}  // namespace pelorus
