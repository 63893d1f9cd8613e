#pragma once

// Texts that several subsystems show, shared by the GUI, the CLI and the tests.
namespace pelorus::msg {

inline constexpr char kLoadSettingsFirstPlease[] =
    "Please load settings before using this function";
inline constexpr char kUnderConstruction[] = "Under Construction";
inline constexpr char kNoPiping[] = "This build of Pelorus cannot be used for piping";
inline constexpr char kNoScsiInterface[] = "Function unavailable without SCSI interface";
inline constexpr char kLoadSettingsFirst[] = "Load settings first!";

// Beside "Permission denied" for a serial port or SCSI device: why, and how to change it.
inline constexpr char kNotInDeviceGroup[] =
    "Only members of the group \"%s\" may open %s, and you (%s) are not one. Add yourself "
    "with\n  sudo usermod -aG %s %s\nthen log out and back in.";
inline constexpr char kDeviceGroupNotYetActive[] =
    "You (%s) were added to the group \"%s\" that may open %s after this session began: log "
    "out and back in (or start the program from \"newgrp %s\").";
inline constexpr char kDeviceGroupMayNotOpen[] =
    "%s does not let its group \"%s\" read and write it (see ls -l %s).";
inline constexpr char kDeviceForRootOnly[] =
    "Only root may open %s: a udev rule can give it to a group such as \"%s\", whose members "
    "may then open it.";

}  // namespace pelorus::msg
