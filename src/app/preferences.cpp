#include "app/preferences.h"

namespace pelorus {

PreferencesChoice PreferencesFromOptions(const Options& options) {
  PreferencesChoice choice;
  choice.serialDevice = options.serialDevice;
  choice.port = options.serialDevice.empty() && options.port >= 1 && options.port <= 8
                    ? static_cast<int>(options.port)
                    : 0;
  choice.speed = options.speed >= 1 && options.speed <= 3 ? static_cast<int>(options.speed) : 0;
  choice.decimal = options.decimal != 0;
  choice.hexadecimal = !choice.decimal;
  choice.eraseAll = options.flashEraseAll != 0;
  choice.scsiDisabled = options.scsiDisabled != 0;
  choice.pasteBefore = options.pasteBefore == 1;
  return choice;
}

bool ApplyPreferences(Options& options, const PreferencesChoice& choice) {
  if (!choice.serialDevice.empty()) {
    options.serialDevice = choice.serialDevice;
  } else if (choice.port >= 1 && choice.port <= 8) {
    options.port = static_cast<uint32_t>(choice.port);
    options.serialDevice.clear();
  }
  if (choice.speed >= 1 && choice.speed <= 3) options.speed = static_cast<uint32_t>(choice.speed);

  const bool decimalChanged = (choice.decimal ? 1u : 0u) != options.decimal;
  options.decimal = choice.hexadecimal ? 0 : 1;
  options.flashEraseAll = choice.eraseAll ? 1 : 0;
  options.scsiDisabled = choice.scsiDisabled ? 1 : 0;
  options.pasteBefore = choice.pasteBefore ? 1 : 0;
  return decimalChanged;
}

}  // namespace pelorus
