#pragma once

#include <functional>
#include <span>
#include <string>

#include "common/editor_state.h"
#include "common/ui.h"
#include "lists/satellite_position.h"

namespace pelorus {

enum class ExportFormat { kEnigma2, kVdr };

// Writes "lamedb", "bouquets.tv" and "userbouquet.pelorus.tv" into `folder` (made when it is not
// there), each file atomically; the folder's other files are left alone. False, with the message
// shown, when a file could not be written; `channels` is the number of channels written.
bool WriteEnigma2Folder(const std::string& folder, std::span<const ChannelRecord> records,
                        const DiseqcPorts& ports, Ui& ui, int& channels);

// Writes a channels.conf atomically. False, with the message shown, when it could not be written.
bool WriteVdrFile(const std::string& path, std::span<const ChannelRecord> records,
                  const DiseqcPorts& ports, Ui& ui, int& channels);

// What the user chooses before the files are written; kept between runs of the command.
struct ExportChoice {
  ExportFormat format = ExportFormat::kEnigma2;
  DiseqcPorts diseqc;  // the satellite of each DiSEqC port
  std::string folder;  // where the file dialog opens
};
// Shows the choice; false when the user cancelled.
using ExportChooser = std::function<bool(ExportChoice& choice)>;

// "Esporta per altro ricevitore...": needs a list; after the choice, asks where the lamedb (its
// folder takes the bouquets) or the channels.conf goes and writes it. The status line tells how
// many channels were written. True when the files were written.
bool ExportForOtherReceiver(EditorState& state, Ui& ui, ExportChoice& choice,
                            const ExportChooser& choose);

}  // namespace pelorus
