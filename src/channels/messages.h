#pragma once

// Texts the channel list editor shows, shared by the GUI, the CLI and the tests.
namespace pelorus::msg {

inline constexpr char kSettingsAlreadyLoaded[] = "Settings already loaded. OK to discard?";
inline constexpr char kUnableToOpenFile[] = "Unable to open file %s";
inline constexpr char kUnableToReadFile[] = "Unable to read file %s";
inline constexpr char kNoSettingsLoaded[] = "No settings are loaded";
inline constexpr char kUnableToOpenForOutput[] = "Unable to open file for output";
inline constexpr char kUnableToWriteFile[] = "Unable to write file %s";
inline constexpr char kSaveChanges[] =
    "Settings may have been changed. Do you want to save this file?";

inline constexpr char kOpenSettingsTitle[] = "Open Settings";
inline constexpr char kSaveSettingsTitle[] = "Save Settings";
inline constexpr char kSettingsFilterName[] = "Tessera Settings (*.dvb)";
inline constexpr char kSettingsFilterPattern[] = "*.dvb";
inline constexpr char kSettingsExtension[] = "dvb";

}  // namespace pelorus::msg
