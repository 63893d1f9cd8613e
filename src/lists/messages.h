#pragma once

// Texts of the lists from other receivers, shared by the GUI, the CLI and the tests.
namespace pelorus::msg {

inline constexpr char kImportReport[] =
    "%d channels imported, %d skipped (%d DVB-S2, %d H.264/HEVC, %d other)";
inline constexpr char kUnreadableLines[] = "Lines that could not be read: %d";
inline constexpr char kUnreadableLine[] = "%s, line %d: %s";
inline constexpr char kMoreUnreadableLines[] = "... and %d more";
inline constexpr char kNotAForeignList[] =
    "%s is not a channel list of another receiver (lamedb, bouquet or channels.conf)";
inline constexpr char kNoLamedbBeside[] = "No lamedb was found beside %s";
inline constexpr char kNothingToImport[] = "%s holds no channel";
inline constexpr char kExportReport[] = "%d channels exported";
inline constexpr char kReorderReport[] = "%d of %d channels matched the reference list";
inline constexpr char kNotAReferenceList[] =
    "%s is not a settings file or a channel list of another receiver";

// The title row above the channels the reference list does not have.
inline constexpr char kOtherChannelsMarker[] = "Altri canali";

// Why a line was skipped.
inline constexpr char kServiceNotInLamedb[] = "service not in lamedb";
inline constexpr char kUnknownTransponder[] = "transponder not in lamedb";
inline constexpr char kBouquetUnreadable[] = "%s cannot be read";
inline constexpr char kNotABouquet[] = "%s is not a bouquet";
inline constexpr char kFrequencyOutOfRange[] = "frequency out of range";
inline constexpr char kSymbolRateOutOfRange[] = "symbol rate out of range";

// File dialogs.
inline constexpr char kImportListTitle[] = "Import Channel List";
inline constexpr char kReferenceListTitle[] = "Reference List";
inline constexpr char kExportEnigma2Title[] = "Export lamedb and Bouquets";
inline constexpr char kExportVdrTitle[] = "Export channels.conf";
inline constexpr char kAnyListFilterName[] = "Channel lists (*)";
inline constexpr char kAnyListFilterPattern[] = "*";
inline constexpr char kLamedbFilterName[] = "lamedb (lamedb)";
inline constexpr char kLamedbFilterPattern[] = "lamedb";
inline constexpr char kVdrFilterName[] = "channels.conf (*.conf)";
inline constexpr char kVdrFilterPattern[] = "*.conf";

// Dialog captions.
inline constexpr char kImportDialogTitle[] = "Importa da altro ricevitore";
inline constexpr char kExportDialogTitle[] = "Esporta per altro ricevitore";
inline constexpr char kAllServices[] = "Tutti i servizi";
// Qt's %1 placeholder: the text typed.
inline constexpr char kNotASatellitePosition[] = "Not a satellite position: %1";

}  // namespace pelorus::msg
