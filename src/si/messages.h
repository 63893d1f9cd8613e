#pragma once

// Texts the service-information tools show, shared by the GUI, the CLI and the tests.
namespace pelorus::msg::si {

// "DVB-SI Parsing"
inline constexpr char kSiBrowserTitle[] = "DVB-SI Parsing";
inline constexpr char kReady[] = "Ready";
inline constexpr char kReadingNit[] = "Reading NIT...";
inline constexpr char kReadingPat[] = "Reading PAT...";
inline constexpr char kReadingPmt[] = "Reading PMT...";
inline constexpr char kErrorReadingPmt[] = "Error reading PMT";
// Our own: a multiplex without a PAT ends the read with a status, never a wait.
inline constexpr char kErrorReadingPat[] = "Error reading PAT";
inline constexpr char kNitMissing[] =
    "Unable to read the NIT - perhaps it's not carried on this multiplex?";
inline constexpr char kDeliveryGroup[] = "Tabella Canali";
inline constexpr char kProgramGroup[] = "Mappa Tabella Programmi";
inline constexpr char kManualTuneButton[] = "Sintonia Manuale";
inline constexpr char kCloseButton[] = "Chiuso";
// The captions of its fields, in the program's language: the network id as the channel dialog
// names it, the transport stream id likewise.
inline constexpr char kNetworkIdLabel[] = "ID Canali:";
inline constexpr char kNetworkNameLabel[] = "Nome Rete:";
inline constexpr char kOrbitLabel[] = "Posizione Orbitale:";
inline constexpr char kPolarisationLabel[] = "Polarizzazione:";
inline constexpr char kFecLabel[] = "FEC:";
inline constexpr char kPatGroup[] = "Tabella Associazione Programmi";
inline constexpr char kTransportStreamIdLabel[] = "TS ID:";
inline constexpr char kPmtPidLabel[] = "PMT PID:";
inline constexpr char kPcrPidLabel[] = "PCR PID:";
inline constexpr char kEsPidLabel[] = "ES PID:";

// "Sintonia Manuale"
inline constexpr char kManualTuneTitle[] = "Sintonia Manuale";
inline constexpr char kFrequencyLabel[] = "Frequenza:";
inline constexpr char kSymbolRateLabel[] = "Symbol Rate:";
inline constexpr char kCancelButton[] = "Cancella";

// "EIT Parsing"
inline constexpr char kEitTitle[] = "EIT Parsing";
inline constexpr char kServicesLabel[] = "Canali in SDT:";
inline constexpr char kEventsLabel[] = "Eventi in memoria:";
inline constexpr char kPollsLabel[] = "Polls per second:";
inline constexpr char kBytesLabel[] = "Bytes last second:";
inline constexpr char kCrcLabel[] = "Errore CRC:";
inline constexpr char kWriteFileButton[] = "Scrivi in File...";
inline constexpr char kSyncClock[] = "Sync system time to satellite time";
inline constexpr char kSaveEitTitle[] = "Save EIT table";
inline constexpr char kTextFilterName[] = "Text files (*.txt)";
inline constexpr char kTextFilterPattern[] = "*.txt";
inline constexpr char kTextExtension[] = "txt";
inline constexpr char kUnableToOpenForOutput[] = "Unable to open file for output";
// Our own: the guide as XMLTV, beside the text file.
inline constexpr char kWriteXmltvButton[] = "Scrivi XMLTV...";
inline constexpr char kSaveXmltvTitle[] = "Save XMLTV guide";
inline constexpr char kXmlFilterName[] = "XMLTV files (*.xml)";
inline constexpr char kXmlFilterPattern[] = "*.xml";
inline constexpr char kXmlExtension[] = "xml";
// Our own: the system may refuse to have its clock set; the user is told why.
inline constexpr char kClockRefused[] = "Unable to set the system time: %s";
inline constexpr char kClockSet[] = "System time set to %s UTC";
inline constexpr char kUtcSuffix[] = " (UTC)";

// "PID Finder" and "Monitor PID"
inline constexpr char kPidFinderTitle[] = "PID Finder";
inline constexpr char kStartPidLabel[] = "Avvia numero PID:";
inline constexpr char kDwellLabel[] = "Dwell time (ms):";
inline constexpr char kUntilStopped[] = "Blocca";
inline constexpr char kStartButton[] = "Avvia";
inline constexpr char kStopButton[] = "Stop";
inline constexpr char kCancelEnglish[] = "Cancel";
inline constexpr char kPidActive[] = "PID %s active TSF=%%02x";
inline constexpr char kMonitorTitle[] = "Monitor PID";
inline constexpr char kMonitoringPid[] = "Monitoring PID %s";
inline constexpr char kCloseEnglish[] = "Close";

}  // namespace pelorus::msg::si
