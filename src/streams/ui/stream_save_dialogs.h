#pragma once

#include "streams/capture_command.h"
#include "streams/record_command.h"

class QWidget;
class QFileDialog;

namespace pelorus {

// The save dialogs of the two stream commands with their options below the file controls. Each
// returns true when confirmed and hands the fields back in the request.
bool ShowCaptureSaveDialog(QWidget* owner, CaptureDialogRequest& request);
bool ShowRecordSaveDialog(QWidget* owner, RecordDialogRequest& request);

// The same dialogs built but not shown (the caller owns them); the request is filled when they
// finish.
QFileDialog* BuildCaptureSaveDialog(QWidget* owner, CaptureDialogRequest& request);
QFileDialog* BuildRecordSaveDialog(QWidget* owner, RecordDialogRequest& request);

}  // namespace pelorus
