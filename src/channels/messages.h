#pragma once

// Texts the channel list editor shows, shared by the GUI, the CLI and the tests.
namespace pelorus::msg {

inline constexpr char kSettingsAlreadyLoaded[] = "Settings already loaded. OK to discard?";
inline constexpr char kUnableToOpenFile[] = "Unable to open file %s";
inline constexpr char kUnableToReadFile[] = "Unable to read file %s";
inline constexpr char kNoSettingsLoaded[] = "No settings are loaded";
inline constexpr char kUnableToOpenForOutput[] = "Unable to open file for output";
inline constexpr char kUnableToWriteFile[] = "Unable to write file %s";
// Our own: a file of bytes without one channel record is not a settings file.
inline constexpr char kNoChannelRecordFound[] = "No channel record was found in %s";
// The status line after a read from the receiver that brought no channel.
inline constexpr char kChannelsRead[] = "%d channels";
inline constexpr char kNotASettingsFile[] =
    "%s holds no channel record: it is not a settings file, and nothing was written";
inline constexpr char kSaveChanges[] =
    "Settings may have been changed. Do you want to save this file?";

inline constexpr char kOpenSettingsTitle[] = "Open Settings";
inline constexpr char kSaveSettingsTitle[] = "Save Settings";
inline constexpr char kSettingsFilterName[] = "Tessera Settings (*.dvb)";
inline constexpr char kSettingsFilterPattern[] = "*.dvb";
inline constexpr char kSettingsExtension[] = "dvb";

// Insert, delete and the clipboard.
inline constexpr char kSelectInsertAnchor[] =
    "Please select the channel after which you want to insert this new channel";
inline constexpr char kSelectToDelete[] = "Please select a channel or channels to delete first";
inline constexpr char kSelectToCopy[] = "Please select the items you wish to Copy or Cut";
inline constexpr char kClipboardOpenFailed[] = "Couldn't open the clipboard";
inline constexpr char kExportLengthFailed[] = "Unable to get length of export item";
inline constexpr char kClipboardMemoryFailed[] = "Couldn't get memory for the clipboard";
inline constexpr char kSelectPasteAnchor[] =
    "Please select the channel after which you want to paste these channel(s)";

// The channel dialog and the paste from MPEG Search Project dialog.
inline constexpr char kChannelDialogTitle[] = "Setaggio Canali";
inline constexpr char kLnbPortItem[] = "LNB port %d";
inline constexpr char kMpegSearchDialogTitle[] = "Paste from MPEG Search Project";

// Sorting and search.
inline constexpr char kSelectItemsToSort[] = "Please select the items you wish to sort";
inline constexpr char kSearchStringNotFound[] = "Search string not found";

// Bulk parameters and the frequency converter.
inline constexpr char kSymbolRatePrompt[] = "Symbol rate to apply to selected channels:";
inline constexpr char kBandwidthPrompt[] = "Acquision bandwidth to apply to selected channels:";
inline constexpr char kSelectConversionMode[] = "Please select a conversion mode";
inline constexpr char kSelectLocalOscillator[] = "Please select a Local Oscillator frequency";

// Text export and import.
inline constexpr char kExportTitle[] = "Export Settings";
inline constexpr char kImportTitle[] = "Import Settings";
inline constexpr char kTextFilterName[] = "Text files (*.txt)";
inline constexpr char kTextFilterPattern[] = "*.txt";
inline constexpr char kTextExtension[] = "txt";
inline constexpr char kTextFileNameStart[] = ".txt";
inline constexpr char kImportUnableToOpen[] = "Unable to open file";

// Printing.
inline constexpr char kPrintDocumentName[] = "Tessera Settings Editor";

// The editing comforts.
inline constexpr char kDuplicatesSelected[] = "%d duplicate channels selected";
inline constexpr char kCompareTitle[] = "Confronta con File";
inline constexpr char kCompareClose[] = "Chiudi";
// Qt's %1 placeholder: the captions of the fields, in the dialog's order.
inline constexpr char kFieldsNotNumbers[] = "Not a number that can be read: %1";

}  // namespace pelorus::msg
