#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/options.h"
#include "common/undo_history.h"
#include "receiver/channel_record.h"

namespace pelorus {

class ScsiTransport;

using SettingsImage = std::optional<std::vector<ChannelRecord>>;

// What the find commands remember between searches.
struct SearchState {
  std::string text;       // the name bytes searched for, emphasis codes included
  int findPosition = -1;  // where the next search starts; -1: no search defined yet
};

// Where the receiver is, when the command line or the environment says so: `--port PATH` /
// PELORUS_SERIAL for the serial device, `--scsi sim:PATH` / PELORUS_SCSI for the SCSI transport.
// Empty: the options' port, and the scan of the SCSI devices.
struct LinkOverrides {
  std::string serialPort;
  std::string scsi;
};

// The data the main program owns. Commands get it by reference; there are no hidden globals.
struct EditorState {
  // No value: no settings loaded. An empty vector: settings loaded with no records.
  SettingsImage settingsImage;
  ChannelRecord editRecord{};
  bool settingsModified = false;
  std::string currentFileName;
  std::string commandLineFile;
  SearchState search;
  Options options;
  LinkOverrides links;
  // The transport to the receiver on SCSI: non-null exactly when the scan found the receiver,
  // which is what "SCSI is available" means everywhere.
  std::shared_ptr<ScsiTransport> aspiModule;
  // Why the last scan found no receiver, for the detail beside "Function unavailable without
  // SCSI interface"; empty when it found one or no scan ran.
  std::string scsiMissingReason;
  // The changes to the list that can be undone; see RecordEdit in channels/undo_edits.h.
  UndoHistory history;

  bool HasSettings() const { return settingsImage.has_value(); }
  int ChannelCount() const { return settingsImage ? static_cast<int>(settingsImage->size()) : 0; }
};

}  // namespace pelorus
