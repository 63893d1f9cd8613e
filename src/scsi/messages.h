#pragma once

// Texts the SCSI link shows, shared by the GUI, the CLI and the tests.
namespace pelorus::msg::scsi {

inline constexpr char kReceiverLocated[] = "Mediamaster located on SCSI adapter %d at ID %d";

inline constexpr char kSettingsAlreadyLoaded[] = "Settings already loaded. OK to discard?";
inline constexpr char kGettingChannelCount[] = "Getting channel count...";
inline constexpr char kUnableToGetChannelCount[] = "Unable to get channel count from Mediamaster";
inline constexpr char kGettingChannels[] = "Getting channels...";
inline constexpr char kReadChannelsFailed[] = "One or more \"Read Channels\" commands failed";
inline constexpr char kSendingChannels[] = "Sending channels...";
inline constexpr char kWriteChannelsFailed[] = "One or more \"Write Channels\" command failed";
// Our own: a count the table cannot hold is refused instead of trusted.
inline constexpr char kTooManyChannels[] =
    "The Mediamaster reports %u channels; at most %u can be read";
inline constexpr char kTooManyChannelsToWrite[] =
    "The list has %d channels; the Mediamaster holds at most %u";
// Our own: every list read from the receiver shows record i in row i.
inline constexpr char kRecordsDropped[] = "%d records without the channel tag were dropped";
// Our own: records of commands that failed never arrived; they are not counted as dropped.
inline constexpr char kRecordsUnread[] = "%d records could not be read";

inline constexpr char kSelectFirmwareTitle[] = "Select Firmware File";
inline constexpr char kFirmwareFilterName[] = "Tessera Firmware (*.bin)";
inline constexpr char kFirmwareFilterPattern[] = "*.bin";
inline constexpr char kFirmwareExtension[] = "bin";
inline constexpr char kBootloaderWarning[] =
    "You are about to program the bootloader - you MUST ensure that the bootloader\n"
    "write enable jumper on your Mediamaster is installed";
inline constexpr char kSendingFirmware[] = "Sending firmware...";
inline constexpr char kUpgradeFirmwareFailed[] = "Upgrade firmware command failed";
inline constexpr char kFirmwareUpgraded[] =
    "Firmware upgrade completed sucessfully\n\nYour Mediamaster will restart shortly";
// Our own: a firmware file that cannot be used is named and nothing is sent.
inline constexpr char kUnableToOpenFirmware[] = "Unable to open file %s";
inline constexpr char kUnableToReadFirmware[] = "Unable to read file %s";
inline constexpr char kFirmwareEmpty[] = "The firmware file %s is empty";
inline constexpr char kFirmwareTooLarge[] =
    "The firmware file %s is too large for the Mediamaster's memory";

inline constexpr char kTestingTransfer[] = "Testing 10MB transfer...";
inline constexpr char kSpeedTestFailed[] = "Speed test failed";
inline constexpr char kSpeedTestResult[] = "10MB transfer took %dms or %d KB/s";
// Our own: too fast to measure a rate.
inline constexpr char kSpeedTestResultNoRate[] = "10MB transfer took %dms";

inline constexpr char kSaveMemoryTitle[] = "Save Mediamaster Memory";
inline constexpr char kMemoryFilterName[] = "Memory files (*.mem)";
inline constexpr char kMemoryFilterPattern[] = "*.mem";
inline constexpr char kMemoryExtension[] = "mem";
inline constexpr char kMemoryInitialName[] = ".mem";
inline constexpr char kAddressLabel[] = "Metti Indirizzo:";
inline constexpr char kLengthLabel[] = "Lunghezza:";
inline constexpr char kUnableToOpenForOutput[] = "Unable to open file for output";
inline constexpr char kReadingMemory[] = "Reading memory...";
inline constexpr char kReadMemoryFailed[] =
    "One or more \"Read Memory\" commands (0x3c 0x00) failed";
// Our own: a disk that fills up must not leave a dump that looks complete.
inline constexpr char kUnableToWriteFile[] = "Unable to write file %s";

}  // namespace pelorus::msg::scsi
