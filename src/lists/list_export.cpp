#include "lists/list_export.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "channels/messages.h"
#include "common/file_dialogs.h"
#include "common/file_io.h"
#include "common/require.h"
#include "common/strfmt.h"
#include "lists/list_writers.h"
#include "lists/messages.h"

namespace pelorus {
namespace {

bool WriteText(const std::string& path, const std::string& text, Ui& ui) {
  WriteFailure failure;
  switch (WriteFileAtomically(
      path, std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()), &failure)) {
    case WriteResult::kDone:
      return true;
    case WriteResult::kCannotCreate:
      ui.ShowDetailedMessage(msg::kUnableToOpenForOutput, WriteFailureText(failure),
                             Icon::kInformation);
      return false;
    case WriteResult::kWriteFailed:
      ui.ShowDetailedMessage(Format(msg::kUnableToWriteFile, path.c_str()),
                             WriteFailureText(failure), Icon::kStop);
      return false;
  }
  return false;
}

std::string InFolder(const std::string& folder, const char* name) {
  if (folder.empty()) return name;
  return folder.back() == '/' ? folder + name : folder + "/" + name;
}

}  // namespace

bool WriteEnigma2Folder(const std::string& folder, std::span<const ChannelRecord> records,
                        const DiseqcPorts& ports, Ui& ui, int& channels) {
  if (!folder.empty() && ::mkdir(folder.c_str(), 0777) != 0 && errno != EEXIST) {
    WriteFailure failure{folder, errno, {}};
    ui.ShowDetailedMessage(msg::kUnableToOpenForOutput, WriteFailureText(failure),
                           Icon::kInformation);
    return false;
  }
  const Enigma2Files files = MakeEnigma2Files(records, ports);
  // The bouquets name services of the database, so the database goes first.
  if (!WriteText(InFolder(folder, kLamedbFileName), files.lamedb, ui) ||
      !WriteText(InFolder(folder, kBouquetFileName), files.bouquet, ui) ||
      !WriteText(InFolder(folder, kBouquetIndexFileName), files.bouquetIndex, ui)) {
    return false;
  }
  channels = files.channels;
  return true;
}

bool WriteVdrFile(const std::string& path, std::span<const ChannelRecord> records,
                  const DiseqcPorts& ports, Ui& ui, int& channels) {
  const VdrFile file = MakeVdrChannels(records, ports);
  if (!WriteText(path, file.text, ui)) return false;
  channels = file.channels;
  return true;
}

bool ExportForOtherReceiver(EditorState& state, Ui& ui, ExportChoice& choice,
                            const ExportChooser& choose) {
  if (!RequireSettings(state, ui)) return false;
  if (choose && !choose(choice)) return false;
  FileRequest request;
  request.overwritePrompt = true;
  if (choice.format == ExportFormat::kEnigma2) {
    request.title = msg::kExportEnigma2Title;
    request.filterName = msg::kLamedbFilterName;
    request.filterPattern = msg::kLamedbFilterPattern;
    request.path = kLamedbFileName;
  } else {
    request.title = msg::kExportVdrTitle;
    request.filterName = msg::kVdrFilterName;
    request.filterPattern = msg::kVdrFilterPattern;
    request.defaultExtension = "conf";
    request.path = "channels.conf";
  }
  if (!AskSaveFile(ui, request, choice.folder)) return false;
  BusyScope busy(ui);
  int channels = 0;
  const bool written =
      choice.format == ExportFormat::kEnigma2
          ? WriteEnigma2Folder(FolderOf(request.path), *state.settingsImage, choice.diseqc, ui,
                               channels)
          : WriteVdrFile(request.path, *state.settingsImage, choice.diseqc, ui, channels);
  if (written) ui.SetStatusText(Format(msg::kExportReport, channels));
  return written;
}

}  // namespace pelorus
