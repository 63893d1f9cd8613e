#pragma once

// Texts of the channel search, shared by the GUI, the CLI and the tests.
namespace pelorus::msg::search {

// The menu command and its dialog.
inline constexpr char kMenuItem[] = "Ricerca Canali...";
inline constexpr char kDialogTitle[] = "Ricerca Canali";
inline constexpr char kSourceGroup[] = "Transponder da cercare";
inline constexpr char kNetworkSource[] = "Rete (dal transponder attuale, con la NIT)";
inline constexpr char kTableSource[] = "Tabella transponder:";
inline constexpr char kLockSource[] = "Risultati della ricerca lock:";
inline constexpr char kRowsSource[] = "Righe selezionate (%d)";
inline constexpr char kBrowseButton[] = "Sfoglia...";
inline constexpr char kOptionsGroup[] = "Opzioni";
inline constexpr char kLnbLabel[] = "LNB:";
inline constexpr char kDiseqcLabel[] = "Porta DiSEqC:";
inline constexpr char kDiseqcFromList[] = "Come nella lista";
inline constexpr char kPositionLabel[] = "Posizione:";
inline constexpr char kAllServices[] = "Tutti i servizi";
inline constexpr char kTimeoutLabel[] = "Tempo massimo (s):";
inline constexpr char kStartButton[] = "Avvia";
inline constexpr char kStopButton[] = "Stop";
inline constexpr char kAddButton[] = "Aggiungi alla lista";
inline constexpr char kCancelButton[] = "Annulla";
inline constexpr char kProgressFormat[] = "Transponder %d di %d";
inline constexpr char kFoundGroup[] = "Servizi trovati";

// One line per transponder, as the dialog's list and the console show them.
inline constexpr char kTransponderText[] = "%d %c %d %s";
inline constexpr char kServicesLine[] = "%s: %d services, %d added, %d updated";
inline constexpr char kUnchangedPart[] = ", %d unchanged";
inline constexpr char kSkippedPart[] = ", %d skipped (%s)";
inline constexpr char kNoLockLine[] = "%s: no lock";
inline constexpr char kOutsideBandLine[] = "%s: outside the LNB's band, not searched";
inline constexpr char kNotInNitLine[] =
    "%s: the tuned transponder is not named in its own NIT, so its frequency is not known";
inline constexpr char kCurrentTransponder[] = "current transponder";

// A service line under its transponder.
inline constexpr char kServiceAdded[] = "%s (%d): added";
inline constexpr char kServiceUpdated[] = "%s (%d): updated";
inline constexpr char kServiceUnchanged[] = "%s (%d): unchanged";
inline constexpr char kServiceSkipped[] = "%s (%d): skipped (%s)";

// The summary at the end.
inline constexpr char kSummaryTransponders[] =
    "Transponders: %d searched, %d locked, %d no lock, %d DVB-S2 skipped";
inline constexpr char kSummaryOutsideBand[] = ", %d outside the LNB's band";
inline constexpr char kSummaryChannels[] = "Channels: %d added, %d updated, %d unchanged";
inline constexpr char kSummarySkipped[] = "Services skipped: %s";
inline constexpr char kSummaryNothingSkipped[] = "Services skipped: none";
inline constexpr char kSkippedCount[] = "%d %s";

// Why a service is not made a channel.
inline constexpr char kSkipH264[] = "H.264";
inline constexpr char kSkipHevc[] = "HEVC";
inline constexpr char kSkipMpeg4[] = "MPEG-4 video";
inline constexpr char kSkipAac[] = "AAC audio";
inline constexpr char kSkipData[] = "data";
inline constexpr char kSkipNoStreams[] = "no video or audio";
inline constexpr char kSkipNoPmt[] = "no PMT";

// A service the SDT does not name.
inline constexpr char kUnnamedService[] = "Service %d";

// Failures.
inline constexpr char kSearchLost[] = "The channel search ended: the receiver was lost";
inline constexpr char kFoundKept[] = "%d channels found before can still be added to the list";
inline constexpr char kNoSource[] = "Choose where the transponders come from";
inline constexpr char kTableUnreadable[] = "Unable to read the transponder table %s";
inline constexpr char kTableNotFound[] = "No transponder table named %s in %s";
inline constexpr char kTableEmpty[] = "%s names no DVB-S transponder";
inline constexpr char kLockFileUnreadable[] = "Unable to read the lock search results %s";
inline constexpr char kLockFileEmpty[] = "%s holds no locked carrier";
inline constexpr char kBadPosition[] = "%s is not an orbital position (like 19.2E or 5.0W)";
inline constexpr char kNothingLocked[] = "No transponder locked: %s was left as it was";
inline constexpr char kListUnchanged[] = "Nothing to add: %s was left as it was";
inline constexpr char kDryRun[] = "Dry run: %s was not written";

// File dialogs.
inline constexpr char kTableDialogTitle[] = "Transponder Table";
inline constexpr char kLockDialogTitle[] = "Lock Search Results";
inline constexpr char kAnyFileFilterName[] = "All files (*)";
inline constexpr char kAnyFileFilterPattern[] = "*";

}  // namespace pelorus::msg::search
