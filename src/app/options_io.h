#pragma once

#include "app/options_store.h"
#include "common/options.h"
#include "common/ui.h"

namespace pelorus {

inline constexpr char kFirstRunMessage[] =
    "This is the first time you've run Pelorus. Please select your settings on the\n"
    "following dialog. You can change these at any time by clicking File/Preferences";

// Reads every option from the store; a missing or unfitting value leaves its default. On the
// very first run the store is created with the port, speed and erase defaults, and the result
// says so: the caller then shows kFirstRunMessage and the preferences.
bool LoadOptions(Options& options, OptionsStore& store);

// Writes every option back; the folder options only when they are not empty. Nothing is written
// when the store does not exist.
void SaveOptions(const Options& options, OptionsStore& store);

}  // namespace pelorus
