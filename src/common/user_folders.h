#pragma once

#include <string>

namespace pelorus {

// Where the program keeps what it writes for itself (calibration scans): $XDG_DATA_HOME/pelorus,
// by default ~/.local/share/pelorus. Created on demand; the path is returned even when it could
// not be created, so a message can name it.
std::string UserDataFolder();

// Temporary files: $XDG_CACHE_HOME/pelorus, by default ~/.cache/pelorus. Created on demand.
std::string UserCacheFolder();

// Where the stored options live on Linux, as QSettings places them: $XDG_CONFIG_HOME/Haldane, by
// default ~/.config/Haldane. Only read from here, so it is not created.
std::string UserConfigFolder();

}  // namespace pelorus
