#pragma once

#include "grabber/grab_session.h"

class QWidget;

namespace pelorus {

// The save dialog with the grab options panel below its own controls. Each click on the panel
// changes `options` at once, whether the dialog is then confirmed or cancelled.
bool ShowGrabDialog(QWidget* owner, GrabDialogRequest& request, GrabOptions& options);

}  // namespace pelorus
