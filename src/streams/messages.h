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
inline constexpr char kAc3DialogTitle[] = "AC3 Decoder";
inline constexpr char kBytesReadLabel[] = "Leggi Bytes:";
inline constexpr char kPollsLabel[] = "Contatore:";
inline constexpr char kRateLabel[] = "Data Rate:";
inline constexpr char kStop[] = "Stop";
inline constexpr char kRateText[] = "%.2f Kbps";
// --- end of AC-3 playback and file check ---

}  // namespace pelorus::msg::streams
