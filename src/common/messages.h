#pragma once

// Texts that several subsystems show, shared by the GUI, the CLI and the tests.
namespace pelorus::msg {

inline constexpr char kLoadSettingsFirstPlease[] =
    "Please load settings before using this function";
inline constexpr char kUnderConstruction[] = "Under Construction";
inline constexpr char kNoPiping[] = "This build of Pelorus cannot be used for piping";
inline constexpr char kNoScsiInterface[] = "Function unavailable without SCSI interface";
inline constexpr char kLoadSettingsFirst[] = "Load settings first!";

}  // namespace pelorus::msg
