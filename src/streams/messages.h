#pragma once

// Texts the stream features show, shared by the GUI, the CLI and the tests.
namespace pelorus::msg::streams {

// --- AC-3 playback and the transport-stream file check ---
inline constexpr char kCheckTsTitle[] = "Check MPEG TS stream";
inline constexpr char kTsFilterName[] = "MPEG TS files (*.m2t)";
inline constexpr char kTsFilterPattern[] = "*.m2t";
inline constexpr char kTsExtension[] = "m2t";
inline constexpr char kCannotOpenTs[] = "Couldn't open input MPEG TS stream";
// Our own: a file that stops reading half-way must not be reported as if it had ended there.
inline constexpr char kCannotReadTs[] = "Couldn't read input MPEG TS stream";
inline constexpr char kCheckingTs[] = "Checking MPEG TS stream...";
inline constexpr char kReportHeader[] =
    "Packet statistics for %llu packets\n(PID/Count/Continuity Errors/Percentage)\n\n";
inline constexpr char kReportPidLine[] = "%04x %llu %llu %.2f%%\n";
inline constexpr char kReportBadSync[] = "\n%llu bad packets not starting 0x47";
inline constexpr char kReportTsErrors[] = "\n%llu packets with TS error set";
inline constexpr char kReportWindowTitle[] = "Tessera Settings Editor";

inline constexpr char kUnableToLoadAc3[] = "Unable to load AC3 decoder";
inline constexpr char kSetupPidStreamFailed[] = "Setup PID stream command failed";
// Our own: a PID the receiver cannot carry is refused before anything is sent.
inline constexpr char kAudioPidInvalid[] =
    "The current service's audio PID 0x%04x is not a valid PID (at most 0x1fff)";
// Our own: what the audio PID brings holds no AC-3 frames (an MPEG audio service, say).
inline constexpr char kNoAc3Track[] =
    "The current service carries no AC-3 audio track: there is nothing for the decoder to play";
inline constexpr char kAc3DialogTitle[] = "AC3 Decoder";
inline constexpr char kBytesReadLabel[] = "Leggi Bytes:";
inline constexpr char kAc3PollsLabel[] = "Contatore:";
inline constexpr char kAc3RateLabel[] = "Data Rate:";
inline constexpr char kStop[] = "Stop";
inline constexpr char kRateText[] = "%.2f Kbps";
// --- end of AC-3 playback and file check ---
// --- Single-PID capture and multi-PID recorder ---
inline constexpr char kSaveStreamTitle[] = "Save MPEG stream";
inline constexpr char kStreamFilterName[] = "MPEG stream files (*.mpp)";
inline constexpr char kStreamFilterPattern[] = "*.mpp";
inline constexpr char kStreamExtension[] = "mpp";
inline constexpr char kSaveTransportTitle[] = "Save Transport Stream";
inline constexpr char kTransportFilterName[] = "MPEG TS files (*.m2t)";
inline constexpr char kTransportFilterPattern[] = "*.m2t";
inline constexpr char kTransportExtension[] = "m2t";

inline constexpr char kUnableToOpenForOutput[] = "Unable to open file for output";

inline constexpr char kSizeMegabytes[] = "%.2f MB";
inline constexpr char kSizeKilobytes[] = "%.0f KB";
inline constexpr char kSizeBytes[] = "%d";
inline constexpr char kPollCount[] = "%d";
inline constexpr char kRunningTime[] = "%02d:%02d:%02d";
inline constexpr char kRecorderPid[] = "0x%04x";

// The capture options beside the save dialog and the mode list, in its order.
inline constexpr char kPidLabel[] = "PID:";
inline constexpr char kThresholdLabel[] = "Soglia:";
inline constexpr char kModeLabel[] = "Modo:";
inline constexpr char kTs2EsLabel[] = "Conversione TS->ES ";
inline constexpr char kSyncVideoLabel[] = "Sincronizza video";
inline constexpr const char* kModeNames[] = {
    "Adaptation/Private", "Headers", "ES data", "TS payload", "PES only", "Adaptation", "Entire"};

// The recorder's options beside its save dialog.
inline constexpr char kVideoPidLabel[] = "Video PID:";
inline constexpr char kAudioPidLabel[] = "Audio PID:";
inline constexpr char kPcrPidLabel[] = "PCR PID:";
inline constexpr char kWaitPcrLabel[] = "Avvia PCR ";
inline constexpr char kScsiBusyLabel[] = "Blocca SCSI";
inline constexpr char kAc3Label[] = "Sostituire audio in AC3 da PID:";

// The two progress dialogs.
inline constexpr char kCaptureDialogTitle[] = "SCSI : Lettura Dati";
inline constexpr char kRecorderDialogTitle[] = "Lettura Registrazione Dati";
inline constexpr char kRecorderPipingCaption[] = "SCSI Stream Piping";
inline constexpr char kStopButton[] = "Stop";
inline constexpr char kCountLabel[] = "Bytes:";
inline constexpr char kPipedLabel[] = "Pipe:";
inline constexpr char kPollsLabel[] = "Poll:";
inline constexpr char kRateLabel[] = "Velocità:";
inline constexpr char kRunningTimeLabel[] = "Tempo:";
inline constexpr char kSyncErrorsLabel[] = "Errori sync:";
inline constexpr char kContinuityErrorsLabel[] = "Errori continuità:";
inline constexpr char kDroppedLabel[] = "Pacchetti persi:";

// Our own: values the receiver's 16-bit parameters or the 13-bit PID field cannot carry are
// refused before anything is sent.
inline constexpr char kPidOutOfRange[] = "PID %s is out of range: PIDs run from 0 to 0x1FFF";
inline constexpr char kThresholdOutOfRange[] =
    "Threshold %s is out of range: it must be between 1 and 65535 bytes";
inline constexpr char kThresholdBelowPacket[] =
    "With TS->ES conversion the threshold must hold at least one 188-byte packet";
inline constexpr char kAc3PidNotNumber[] = "The AC3 PID \"%s\" is not a number";
// Our own: the recorder needs the current service's PIDs before it can set anything up.
inline constexpr char kCurrentServiceFailed[] =
    "Unable to read the current service from the Mediamaster";
// Our own: a disk that fills up ends the capture; the file keeps what was written.
inline constexpr char kUnableToWriteFile[] = "Unable to write file %s";
// Our own: a long run that ends before it was asked to says why, and what it kept.
inline constexpr char kStreamLost[] = "The receiver stopped sending the stream";
inline constexpr char kStreamChanged[] = "The receiver's stream was changed by another program";
inline constexpr char kBytesKept[] = "%s kept in %s";
inline constexpr char kNothingReceived[] =
    "Nothing was received from the receiver: %s was left as it was";
// Our own: packets the full ring could not take.
inline constexpr char kPacketsDropped[] = "%llu packets were dropped: the disk did not keep up";

}  // namespace pelorus::msg::streams
