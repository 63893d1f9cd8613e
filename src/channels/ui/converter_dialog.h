#pragma once

#include "channels/frequency_converter.h"

class QWidget;

namespace pelorus {

// The converter dialog "Convertitore (LNB)" over a fresh form; its OK runs the form's checks,
// whose warnings go through `ui`. True when it closed with OK.
bool RunConverterDialog(QWidget* owner, Ui& ui, ConverterForm& form);

}  // namespace pelorus
