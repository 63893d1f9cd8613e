#include "common/file_dialogs.h"

#include "common/file_io.h"

namespace pelorus {
namespace {

bool AskFile(bool (Ui::*show)(FileRequest&), Ui& ui, FileRequest& request, std::string& folder) {
  request.initialDir = folder;
  if (!(ui.*show)(request)) return false;
  folder = FolderOf(request.path);
  return true;
}

}  // namespace

bool AskOpenFile(Ui& ui, FileRequest& request, std::string& folder) {
  return AskFile(&Ui::ShowOpenDialog, ui, request, folder);
}

bool AskSaveFile(Ui& ui, FileRequest& request, std::string& folder) {
  return AskFile(&Ui::ShowSaveDialog, ui, request, folder);
}

}  // namespace pelorus
