#pragma once

#include "channels/find_channel.h"

class QWidget;

namespace pelorus {

// The find dialog "Trova": the search text (at most 20 characters, selected on opening) and the
// case check box. True when the user pressed "Cerca"; `request` then holds the answers.
bool RunFindDialog(QWidget* owner, FindRequest& request);

}  // namespace pelorus
