#pragma once

#include <string>
#include <string_view>

namespace pelorus {

enum class Icon { kNone, kStop, kWarning, kInformation, kQuestion };
enum class Buttons { kOk, kOkCancel, kYesNo, kYesNoCancel };
enum class Answer { kOk, kCancel, kYes, kNo };

// What a file dialog is asked to show. The caller fills the request; on success the dialog
// puts the chosen path into `path`.
struct FileRequest {
  std::string title;             // "Open Settings"
  std::string filterName;        // "Tessera Settings (*.dvb)"
  std::string filterPattern;     // "*.dvb"
  std::string defaultExtension;  // "dvb", without the dot
  std::string initialDir;        // the folder the dialog opens in
  bool overwritePrompt = false;  // save dialogs: ask before replacing a file
  std::string path;              // in: proposed file name; out: the chosen path
};

// Everything a command needs from whoever runs it: the main window, the console front end, or a
// test's scripted fake. Commands talk to the user only through this.
class Ui {
 public:
  virtual ~Ui() = default;
  // The title is always the program's.
  virtual void ShowMessage(std::string_view text, Icon icon) = 0;
  // The same message with what failed and why beside it ("PATH: reason"): the console prints it
  // on a second line, the main window as the box's detailed text. The message itself is always
  // the described text; a front end that has no place for the detail shows the message alone.
  virtual void ShowDetailedMessage(std::string_view text, std::string_view detail, Icon icon) {
    (void)detail;
    ShowMessage(text, icon);
  }
  virtual Answer Ask(std::string_view text, Buttons buttons, Icon icon, Answer defaultAnswer) = 0;
  virtual bool ShowOpenDialog(FileRequest& request) = 0;
  virtual bool ShowSaveDialog(FileRequest& request) = 0;
  // An empty text clears the status line.
  virtual void SetStatusText(std::string_view text) = 0;
  virtual void SetProgress(int percent, bool visible) = 0;
  virtual void BeginBusy() = 0;
  virtual void EndBusy() = 0;
  // Called every few milliseconds while a transfer waits; the GUI processes its events here.
  virtual void KeepAlive() = 0;
  virtual void Beep() = 0;
  virtual void SetWindowTitle(std::string_view title) = 0;
  // The image was replaced or emptied: rebuild every row of the channel list from it.
  virtual void RefillChannelList() = 0;
};

// Keeps the busy cursor up for a scope, so that every exit path restores it.
class BusyScope {
 public:
  explicit BusyScope(Ui& ui) : ui_(ui) { ui_.BeginBusy(); }
  ~BusyScope() { ui_.EndBusy(); }
  BusyScope(const BusyScope&) = delete;
  BusyScope& operator=(const BusyScope&) = delete;

 private:
  Ui& ui_;
};

}  // namespace pelorus
