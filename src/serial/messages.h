#pragma once

// Texts the serial link shows, shared by the GUI, the CLI and the tests.
namespace pelorus::msg {

// The port, its reader and the attention handshake.
inline constexpr char kUnableToOpenSerialPort[] = "Unable to open serial port";
inline constexpr char kSerialReceiveOverrun[] = "Serial buffer receive overrun";
inline constexpr char kGettingAttention[] = "Getting Mediamaster's attention";
inline constexpr char kNoAnswerOnSerialPort[] = "Mediamaster didn't respond on the serial port";
inline constexpr char kDebugWindowTitle[] = "Debug Seriale";
inline constexpr char kRemoveSerialErrors[] = "Rimuovi Errori Seriali";

// Settings over the serial link.
inline constexpr char kSendingSizeCommand[] = "Sending settings size command";
inline constexpr char kNoAnswerToSizeCommand[] =
    "Mediamaster didn't respond to settings size command";
inline constexpr char kGettingChannel[] = "Getting channel %d of %d";
inline constexpr char kNoChannelData[] =
    "Mediamaster didn't respond with channel data\nReceived %d bytes";
inline constexpr char kChecksumIncorrect[] =
    "Warning: Checksum received from Mediamaster is incorrect - check cables";
inline constexpr char kSendingSettingsSize[] = "Sending settings size";
inline constexpr char kSendingChannel[] = "Sending channel %d of %d";
// The receiver's size answer is refused before anything is read when it exceeds what the
// editor holds.
inline constexpr char kSettingsTooLarge[] =
    "Mediamaster reported %llu bytes of settings, more than the %llu bytes Pelorus can hold";
// Our own: the receiver's table holds 65,536 records; a larger list is refused before sending.
inline constexpr char kTooManyChannelsToWrite[] =
    "The list has %d channels; the Mediamaster holds at most %u";
// Our own: a list read with a wrong checksum replaces an existing file only when confirmed.
inline constexpr char kReplaceWithUnverified[] =
    "The settings read from the Mediamaster could not be verified. Replace %s with them?";
inline constexpr char kUnverifiedNotWritten[] = "%s was not replaced with the unverified settings";
inline constexpr char kUntaggedRecordsDropped[] =
    "%d records read from the Mediamaster were not channels and have been removed";
// A device that refuses the data (an unplugged USB adapter) must not look like a done write.
inline constexpr char kSettingsNotSent[] =
    "Pelorus was unable to send the settings to the Mediamaster - check cables";

// Subroutines.
inline constexpr char kUnableToOpenSubroutine[] = "Unable to open subroutine file: %s";
inline constexpr char kSubroutineReadShort[] = "Warning: didn't read all of the subroutine file";
inline constexpr char kSendingSubroutine[] = "Sending subroutine file";
inline constexpr char kSubroutineRemaining[] = "%d bytes of subroutine remaining";
inline constexpr char kOpenSubroutineTitle[] = "Open Subroutine";
inline constexpr char kSubroutineFilterName[] = "Tessera Subroutine (*.sbr)";
inline constexpr char kSubroutineFilterPattern[] = "*.sbr";
inline constexpr char kSubroutineExtension[] = "sbr";
inline constexpr char kSubroutineInitialName[] = ".sbr";

// The firmware upgrade.
inline constexpr char kSelectFirmwareTitle[] = "Select Firmware File";
inline constexpr char kFirmwareFilterName[] = "Tessera Firmware (*.bin)";
inline constexpr char kFirmwareFilterPattern[] = "*.bin";
inline constexpr char kFirmwareExtension[] = "bin";
inline constexpr char kFirmwareInitialName[] = ".bin";
inline constexpr char kFlashSubroutineName[] = "tarnflash.sbr";
inline constexpr char kEraseAllWarning[] =
    "Warning: This operation will erase ALL firmware contents except for the booloader\n\n"
    "If you do not wish to erase all firmware contents, use the Preferences menu to\n"
    "change your selection";
inline constexpr char kBootloaderWarning[] =
    "You are about to program the bootloader - you MUST ensure that the bootloader\n"
    "write enable jumper on your Mediamaster is installed";
inline constexpr char kUnableToOpenFirmware[] = "Unable to open firmware file: %s";
inline constexpr char kWaitingForMediamaster[] = "Waiting for Mediamaster...";
inline constexpr char kNoAnswerAfterFlashSubroutine[] =
    "Mediamaster didn't respond after reprogramming subroutine was sent";
inline constexpr char kCompressingStep[] = "Compressing firmware step %d/%d";
// A step that yields nothing while firmware is left must not end in the success message.
inline constexpr char kUnableToCompressFirmware[] =
    "Pelorus was unable to compress firmware step %d/%d";
inline constexpr char kCompressedReadShort[] =
    "Pelorus was unable to read compressed version of firmware correctly";
inline constexpr char kFirmwareRemaining[] = "%d bytes of firmware remaining step %d/%d";
inline constexpr char kVerifyingStep[] = "Mediamaster verifying serial transfer step %d/%d";
inline constexpr char kIncorrectCrc[] = "Incorrect CRC16 on compressed firmware";
inline constexpr char kUnknownAfterTransfer[] =
    "Unknown error '%c' after compressed firmware transfer";
inline constexpr char kDecompressingStep[] = "Mediamaster decompressing firmware step %d/%d";
inline constexpr char kUnknownAfterDecompression[] =
    "Unknown error '%c' after compressed firmware decompression";
inline constexpr char kProgrammingStep[] = "Mediamaster programming firmware step %d/%d";
inline constexpr char kFirmwareUpgradeDone[] =
    "Firmware upgrade completed sucessfully\n\nYour Mediamaster will restart shortly";

// The colour table, for the colour-editing program that starts the editor with /CU or /CD.
inline constexpr char kColourSubroutineName[] = "color.sbr";
inline constexpr char kColourFilenameNotSpecified[] = "Color filename not specified";
inline constexpr char kUnableToOpenColourFile[] = "Unable to open color file %s";
inline constexpr char kNoColourDownloadLine[] = "No command line specified for color download";
inline constexpr char kNoColourDownloadFilename[] =
    "Can't figure out the filename in color download";
inline constexpr char kNoColourProgramHandle[] = "Can't figure out the handle of Corvin's program";
inline constexpr char kNoColourSubroutineAnswer[] =
    "Mediamaster didn't respond after color subroutine was sent";
inline constexpr char kSendingColours[] = "Sending colors...";
inline constexpr char kReadingColours[] = "Reading colors...";
// Not among the receiver's own texts: a colour file that is not five colours, an answer that
// stopped short or is not one, and a name that would have to be cut are refused instead of
// being taken as zeros or as another file.
inline constexpr char kColourFileNotFiveColours[] =
    "Unable to open color file %s\nIt does not hold five colors of eight hexadecimal digits (40 "
    "characters)";
inline constexpr char kColourAnswerShort[] =
    "Mediamaster didn't send all five colors: received %d of 40 characters";
inline constexpr char kColourAnswerNotHex[] =
    "Mediamaster didn't send five colors: its answer is not 40 hexadecimal digits";
inline constexpr char kColourNameTooLong[] = "the file name is longer than %d characters";

// The Montery 140 interface.
inline constexpr char kMonteryDialogTitle[] = "Montery 140 Interface";
inline constexpr char kMonteryReceiverChannel[] = "%d - %s";
inline constexpr char kMonterySatelliteCommand[] = "#70 \"%s\"\r";
inline constexpr char kMonteryChannelCommand[] = "#71 \"%s\",%02d\r";
inline constexpr char kMonteryReceiverCaption[] = "Canale ricevitore:";
inline constexpr char kMonterySatelliteCaption[] = "Satellite Montery:";
inline constexpr char kMonteryChannelCaption[] = "Canale Montery:";
inline constexpr char kMonteryCommandsCaption[] = "Ultimi comandi inviati:";
inline constexpr char kMonteryClose[] = "Chiudi";
// Our own: why the Montery satellite stays empty.
inline constexpr char kMonteryNoMarkerAbove[] =
    "No marker row stands above channel %d: the satellite is taken from the nearest marker row "
    "(a row with frequency 0, such as \"== HOTSAT\") above the channel";
inline constexpr char kMonteryMarkerNamesNothing[] =
    "The marker row above channel %d names no satellite after its first three characters";
inline constexpr char kMonteryProfileName[] = "pelorus.ini";
inline constexpr char kMonteryTranslationSection[] = "Name Translation";
inline constexpr char kMonterySeparateKuSection[] = "Seperate Ku";
// Our own: a profile the user made that cannot be read is said, not passed over.
inline constexpr char kCannotReadMonteryProfile[] = "Unable to read the Montery 140 profile";

// Channel selection: the receiver's command carries four digits.
inline constexpr char kRowBeyondSelection[] =
    "Row %d cannot be selected on the Mediamaster: it selects channels 1 to 9999";

}  // namespace pelorus::msg
