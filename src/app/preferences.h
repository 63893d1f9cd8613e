#pragma once

#include <string>

#include "common/options.h"

namespace pelorus {

// The state of the Preferences sheet's buttons. 0 for a port or speed means none is checked.
struct PreferencesChoice {
  int port = 0;              // 1-8: COM1-COM8
  std::string serialDevice;  // a typed device path; when set it is used instead of the port
  int speed = 0;             // 1: 9600, 2: 19200, 3: 38400
  bool hexadecimal = true;   // "&Esadecimali"
  bool decimal = false;      // "&Decimali"
  bool eraseAll = false;     // "Cancella &Tutto"
  bool scsiDisabled = false;
  bool pasteBefore = false;  // "&Prima"
};

// The buttons checked when the sheet opens.
PreferencesChoice PreferencesFromOptions(const Options& options);

// Takes the sheet's buttons after OK. Returns true when the PID mode changed, so that the caller
// sets the PID formats again and refills the list.
bool ApplyPreferences(Options& options, const PreferencesChoice& choice);

}  // namespace pelorus
