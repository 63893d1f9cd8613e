#include "cli_ui.h"

#include <unistd.h>

#include <cctype>

namespace pelorus {
namespace {

bool IsTerminal(std::FILE* file) { return file != nullptr && ::isatty(::fileno(file)) == 1; }

Answer NoAnswer(Buttons buttons) {
  switch (buttons) {
    case Buttons::kOk:
      return Answer::kOk;
    case Buttons::kYesNo:
      return Answer::kNo;
    default:
      return Answer::kCancel;
  }
}

Answer YesAnswer(Buttons buttons) {
  return buttons == Buttons::kOk || buttons == Buttons::kOkCancel ? Answer::kOk : Answer::kYes;
}

}  // namespace

CliUi::CliUi(std::FILE* errors, std::FILE* input)
    : errors_(errors),
      input_(input),
      errorsIsTerminal_(IsTerminal(errors)),
      inputIsTerminal_(IsTerminal(input)) {}

void CliUi::EndProgressLine() {
  if (progressShown_) {
    std::fputc('\n', errors_);
    progressShown_ = false;
  }
}

void CliUi::ShowMessage(std::string_view text, Icon) {
  EndProgressLine();
  std::fprintf(errors_, "%.*s\n", static_cast<int>(text.size()), text.data());
  std::fflush(errors_);
}

void CliUi::ShowDetailedMessage(std::string_view text, std::string_view detail, Icon icon) {
  ShowMessage(text, icon);
  if (detail.empty()) return;
  std::fprintf(errors_, "%.*s\n", static_cast<int>(detail.size()), detail.data());
  std::fflush(errors_);
}

Answer CliUi::Ask(std::string_view text, Buttons buttons, Icon, Answer) {
  EndProgressLine();
  std::fprintf(errors_, "%.*s", static_cast<int>(text.size()), text.data());
  if (fixedAnswer_) {
    std::fprintf(errors_, " %s\n", *fixedAnswer_ ? "yes" : "no");
    std::fflush(errors_);
    return *fixedAnswer_ ? YesAnswer(buttons) : NoAnswer(buttons);
  }
  if (!inputIsTerminal_) {
    // Nobody to ask: take the answer that changes nothing.
    std::fprintf(errors_, " (no answer given: use --yes or --no)\n");
    std::fflush(errors_);
    return buttons == Buttons::kOk ? Answer::kOk : Answer::kCancel;
  }
  const char* choices = buttons == Buttons::kYesNoCancel ? " [y/n/c] "
                        : buttons == Buttons::kYesNo     ? " [y/n] "
                        : buttons == Buttons::kOkCancel  ? " [o/c] "
                                                         : " [o] ";
  for (;;) {
    std::fputs(choices, errors_);
    std::fflush(errors_);
    char line[64];
    if (std::fgets(line, sizeof line, input_) == nullptr) return NoAnswer(buttons);
    const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(line[0])));
    if (c == 'y' && (buttons == Buttons::kYesNo || buttons == Buttons::kYesNoCancel)) {
      return Answer::kYes;
    }
    if (c == 'n' && (buttons == Buttons::kYesNo || buttons == Buttons::kYesNoCancel)) {
      return Answer::kNo;
    }
    if (c == 'o' && (buttons == Buttons::kOk || buttons == Buttons::kOkCancel)) return Answer::kOk;
    if (c == 'c' && buttons != Buttons::kOk && buttons != Buttons::kYesNo) return Answer::kCancel;
  }
}

bool CliUi::ShowOpenDialog(FileRequest&) {
  // The console names its files on the command line; a command that still asks is cancelled.
  return false;
}

bool CliUi::ShowSaveDialog(FileRequest&) { return false; }

void CliUi::SetStatusText(std::string_view text) {
  if (text.empty() || text == lastStatus_) {
    lastStatus_ = text;
    return;
  }
  lastStatus_ = text;
  EndProgressLine();
  std::fprintf(errors_, "%.*s\n", static_cast<int>(text.size()), text.data());
  std::fflush(errors_);
}

void CliUi::SetProgress(int percent, bool visible) {
  if (!errorsIsTerminal_) return;
  if (!visible) {
    EndProgressLine();
    return;
  }
  const int clamped = percent < 0 ? 0 : percent > 100 ? 100 : percent;
  const int filled = clamped * 40 / 100;
  std::fprintf(errors_, "\r[%.*s%*s] %3d%%", filled, "########################################",
               40 - filled, "", clamped);
  std::fflush(errors_);
  progressShown_ = true;
}

}  // namespace pelorus
