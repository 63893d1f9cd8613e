#pragma once

namespace pelorus {

// Menu command numbers. The numbers are the program's own and stay as they are.
namespace cmd {
inline constexpr int kOpen = 40001;
inline constexpr int kSave = 40002;
inline constexpr int kSaveAs = 40003;
inline constexpr int kExit = 40004;
inline constexpr int kSerialWrite = 40006;
inline constexpr int kSerialRead = 40007;
inline constexpr int kAbout = 40008;
inline constexpr int kCopy = 40009;
inline constexpr int kCut = 40010;
inline constexpr int kPaste = 40011;
inline constexpr int kDelete = 40012;
inline constexpr int kInsert = 40013;
inline constexpr int kPreferences = 40014;
inline constexpr int kSortByName = 40015;
inline constexpr int kSortByFrequency = 40016;
inline constexpr int kFind = 40017;
inline constexpr int kFindNext = 40018;
inline constexpr int kUploadSubroutine = 40023;
inline constexpr int kPrint = 40025;
inline constexpr int kSelectAll = 40026;
inline constexpr int kConvertFrequency = 40027;
inline constexpr int kExport = 40028;
inline constexpr int kSerialFirmware = 40029;
inline constexpr int kImport = 40030;
inline constexpr int kBandScanner = 40039;
inline constexpr int kSortByServiceId = 40040;
inline constexpr int kScsiWrite = 40043;
inline constexpr int kScsiRead = 40044;
inline constexpr int kScsiFirmware = 40045;
inline constexpr int kScsiSpeedTest = 40046;
inline constexpr int kColoursToReceiver = 40047;
inline constexpr int kColoursFromReceiver = 40048;
inline constexpr int kSortByPolarity = 40049;
inline constexpr int kScsiReadMemory = 40050;
inline constexpr int kScsiGrab = 40052;
inline constexpr int kScsiWriteStreams = 40054;
inline constexpr int kScsiReadStreams = 40055;
inline constexpr int kStreamPopup = 40056;
inline constexpr int kSerialGrab = 40057;
inline constexpr int kGrab = 40058;
inline constexpr int kMultiPidRecord = 40059;
inline constexpr int kStreamFileCheck = 40060;
inline constexpr int kServiceInfo = 40061;
inline constexpr int kTuneChannel = 40062;
inline constexpr int kEitBrowser = 40063;
inline constexpr int kPidFinder = 40064;
inline constexpr int kUpdatesPrimary = 40065;
inline constexpr int kHomePrimary = 40066;
inline constexpr int kUpdatesSecondary = 40080;
inline constexpr int kUpdatesNorth = 40081;
inline constexpr int kHomeSecondary = 40082;
inline constexpr int kHomeNorth = 40083;
inline constexpr int kMpegSearchPaste = 40099;
inline constexpr int kNew = 40101;
inline constexpr int kMultiPidPipe = 40103;
inline constexpr int kMontery = 40104;
inline constexpr int kAc3Decoder = 40105;

// The list popup's bulk changes of the selected channels.
inline constexpr int kNtsc = 40019;
inline constexpr int kPal = 40020;
inline constexpr int k12vOff = 40021;
inline constexpr int k12vOn = 40022;
inline constexpr int kInversionOff = 40032;
inline constexpr int kInversionOn = 40033;
inline constexpr int kInversionAuto = 40034;
inline constexpr int kDiseqc1 = 40035;
inline constexpr int kDiseqc2 = 40036;
inline constexpr int kDiseqc3 = 40037;
inline constexpr int kDiseqc4 = 40038;
inline constexpr int kHorizontal = 40041;
inline constexpr int kVertical = 40042;
inline constexpr int kServiceTypeFirst = 40068;
inline constexpr int kServiceTypeLast = 40077;
inline constexpr int kSymbolRate = 40085;
inline constexpr int kBandwidth = 40087;
inline constexpr int kFecAuto = 40088;
inline constexpr int kFec12 = 40089;
inline constexpr int kFec23 = 40090;
inline constexpr int kFec34 = 40091;
inline constexpr int kFec56 = 40092;
inline constexpr int kFec78 = 40093;
inline constexpr int kFec11 = 40094;
inline constexpr int kAutoPmtOn = 40095;
inline constexpr int kAutoPmtOff = 40096;
inline constexpr int kAutoPidOn = 40097;
inline constexpr int kAutoPidOff = 40098;

// The editing comforts added beside the program's own commands, numbered apart from them.
inline constexpr int kUndo = 40301;
inline constexpr int kRedo = 40302;
inline constexpr int kFindDuplicates = 40303;
inline constexpr int kCompareWithFile = 40304;
inline constexpr int kMoveRowsUp = 40305;
inline constexpr int kMoveRowsDown = 40306;
inline constexpr int kImportOtherReceiver = 40307;
inline constexpr int kExportOtherReceiver = 40308;
inline constexpr int kOrderLikeList = 40309;
inline constexpr int kRecentFileFirst = 40310;  // the entries of "File recenti", newest first
inline constexpr int kRecentFileCount = 8;
inline constexpr int kChannelSearch = 40320;  // "Ricerca Canali..." of the SCSI menu
inline constexpr int kAnalyseTsFile = 40321;  // "Analizza File TS..." of "Utilità"

// Not a menu command: double-click or Enter on the list, which edits the first selected row.
inline constexpr int kEditSelectedChannel = 1;
}  // namespace cmd

}  // namespace pelorus
