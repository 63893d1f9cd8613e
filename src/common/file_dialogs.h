#pragma once

#include <string>

#include "common/ui.h"

namespace pelorus {

// Run the open or save dialog starting in `folder`, the folder remembered for this file type.
// On success the chosen folder is remembered for the next dialog of the same type.
bool AskOpenFile(Ui& ui, FileRequest& request, std::string& folder);
bool AskSaveFile(Ui& ui, FileRequest& request, std::string& folder);

}  // namespace pelorus
