#include "app/commands.h"

#include <array>

namespace pelorus {
namespace {

constexpr MenuEntry Item(int command, const char* label, const char* shortcut = "") {
  return MenuEntry{command, label, shortcut, {}};
}
constexpr MenuEntry kSeparator{0, "", "", {}};

// The entries of "File recenti", named by the front end from the list it keeps; those without a
// file stay hidden.
constexpr std::array kRecentFilesMenu = {
    Item(cmd::kRecentFileFirst + 0, ""), Item(cmd::kRecentFileFirst + 1, ""),
    Item(cmd::kRecentFileFirst + 2, ""), Item(cmd::kRecentFileFirst + 3, ""),
    Item(cmd::kRecentFileFirst + 4, ""), Item(cmd::kRecentFileFirst + 5, ""),
    Item(cmd::kRecentFileFirst + 6, ""), Item(cmd::kRecentFileFirst + 7, ""),
};
static_assert(kRecentFilesMenu.size() == cmd::kRecentFileCount);

// New has no entry of its own in the program's key table; Ctrl+N is what its label promises
// and what users press, so it is bound here.
constexpr std::array kFileMenu = {
    Item(cmd::kNew, "Nuovo", "Ctrl+N"),
    Item(cmd::kOpen, "&Apri...", "Ctrl+O"),
    Item(cmd::kSave, "&Salva", "Ctrl+S"),
    Item(cmd::kSaveAs, "Salva &con nome..."),
    Item(cmd::kPrint, "&Stampa...", "Ctrl+P"),
    kSeparator,
    Item(cmd::kImport, "Importa...", "Ctrl+I"),
    Item(cmd::kExport, "&Esporta...", "Ctrl+E"),
    Item(cmd::kCompareWithFile, "Confronta con File..."),
    Item(cmd::kImportOtherReceiver, "Importa da altro ricevitore..."),
    Item(cmd::kExportOtherReceiver, "Esporta per altro ricevitore..."),
    kSeparator,
    Item(cmd::kPreferences, "P&referenze..."),
    kSeparator,
    MenuEntry{0, "File recenti", "", kRecentFilesMenu},
    kSeparator,
    Item(cmd::kExit, "E&sci"),
};

// Ctrl+Z belongs to "Controllo Canali", so undo takes Alt+Backspace.
constexpr std::array kEditMenu = {
    Item(cmd::kUndo, "Annulla", "Alt+Backspace"),
    Item(cmd::kRedo, "Ripeti", "Ctrl+Y"),
    Item(cmd::kMoveRowsUp, "Sposta Su", "Alt+Up"),
    Item(cmd::kMoveRowsDown, "Sposta Giù", "Alt+Down"),
    kSeparator,
    Item(cmd::kCut, "Ta&glia", "Ctrl+X"),
    Item(cmd::kCopy, "&Copia", "Ctrl+C"),
    Item(cmd::kPaste, "&Incolla", "Ctrl+V"),
    Item(cmd::kMpegSearchPaste, "Incolla from MPEG Search Project..."),
    Item(cmd::kSelectAll, "Seleziona Tu&tto", "Ctrl+A"),
    kSeparator,
    Item(cmd::kDelete, "&Cancella", "Delete"),
    Item(cmd::kInsert, "&Inserisci", "Insert"),
    kSeparator,
    Item(cmd::kSortByName, "&In Ordine Alfabetico"),
    Item(cmd::kSortByFrequency, "Ordina per &Frequenza"),
    Item(cmd::kSortByServiceId, "Ordina per Servizio ID"),
    Item(cmd::kSortByPolarity, "Ordina per P&olarità"),
    Item(cmd::kOrderLikeList, "Ordina come Lista..."),
};

constexpr std::array kSearchMenu = {
    Item(cmd::kFind, "&Cerca...", "Ctrl+F"),
    Item(cmd::kFindNext, "Cerca &Nuovo", "F3"),
    Item(cmd::kFindDuplicates, "Trova Duplicati"),
};

constexpr std::array kSerialMenu = {
    Item(cmd::kSerialWrite, "&Scrivi Settings"),
    Item(cmd::kSerialRead, "&Leggi Settings"),
    kSeparator,
    Item(cmd::kSerialFirmware, "Aggiorna &Firmware..."),
    Item(cmd::kUploadSubroutine, "Carica Su&broutine...", "Ctrl+Alt+Shift+U"),
    kSeparator,
    Item(cmd::kBandScanner, "&Scansione Segnale...."),
    Item(cmd::kSerialGrab, "Cattura Immagine..."),
};

constexpr std::array kScsiMenu = {
    Item(cmd::kScsiWrite, "&Carica Settings"),
    Item(cmd::kScsiRead, "&Leggi Settings"),
    kSeparator,
    Item(cmd::kScsiFirmware, "Aggiorna &Firmware..."),
    Item(cmd::kScsiSpeedTest, "Misura Velocità"),
    Item(cmd::kScsiReadMemory, "Leggi Memoria..."),
    Item(cmd::kScsiGrab, "Cattura Immagine..."),
    kSeparator,
    Item(cmd::kScsiReadStreams, "Leggi Streams...", "Ctrl+R"),
    Item(cmd::kScsiWriteStreams, "Scrivi Streams...", "Ctrl+W"),
    Item(cmd::kMultiPidRecord, "Registra il PID Multiplo...", "Alt+Z"),
    Item(cmd::kMultiPidPipe, "Trasmetti Multi PID..."),
    Item(cmd::kAc3Decoder, "Decoder AC3..."),
    kSeparator,
    Item(cmd::kServiceInfo, "Analisi Sistema..."),
    Item(cmd::kEitBrowser, "Analisi Eventi..."),
    Item(cmd::kPidFinder, "Cerca PID..."),
};

constexpr std::array kToolsMenu = {
    Item(cmd::kStreamFileCheck, "Arresta La Registrazione del Multi PID..."),
    Item(cmd::kTuneChannel, "&Controllo Canali", "Ctrl+Z"),
    kSeparator,
    Item(cmd::kMontery, "Interfaccia Montery 140..."),
};

constexpr std::array kUpdatesMenu = {
    Item(cmd::kUpdatesPrimary, "Server Primario (USA)"),
    Item(cmd::kUpdatesSecondary, "Server Secondario (USA)"),
    Item(cmd::kUpdatesNorth, "Server Nord Europo (Poland)"),
};

constexpr std::array kHomeMenu = {
    Item(cmd::kHomePrimary, "Server Primario (USA)"),
    Item(cmd::kHomeSecondary, "Server Secondario (USA)"),
    Item(cmd::kHomeNorth, "Server Nord Europeo  (Poland)"),
};

constexpr std::array kHelpMenu = {
    Item(cmd::kAbout, "&Informazioni..."),
    MenuEntry{0, "Per Aggiornamenti", "", kUpdatesMenu},
    MenuEntry{0, "Visita l'Homepage del Pelorus", "", kHomeMenu},
};

constexpr std::array kMenuBar = {
    MenuPopup{"&File", kFileMenu},    MenuPopup{"&Modifica", kEditMenu},
    MenuPopup{"&Cerca", kSearchMenu}, MenuPopup{"&Seriali", kSerialMenu},
    MenuPopup{"SCS&I", kScsiMenu},    MenuPopup{"&Utilità", kToolsMenu},
    MenuPopup{"&Aiuto", kHelpMenu},
};

constexpr std::array kScsiOnly = {
    cmd::kScsiWrite,      cmd::kScsiRead,    cmd::kScsiFirmware,     cmd::kScsiSpeedTest,
    cmd::kScsiReadMemory, cmd::kScsiGrab,    cmd::kScsiWriteStreams, cmd::kScsiReadStreams,
    cmd::kMultiPidRecord, cmd::kServiceInfo, cmd::kEitBrowser,       cmd::kPidFinder,
};

constexpr ToolbarEntry Separator() { return ToolbarEntry{0, 0, 0, "", ""}; }
constexpr ToolbarEntry Button(int image, int command, const char* tooltip) {
  return ToolbarEntry{image, command, command, tooltip, tooltip};
}

constexpr std::array kToolbar = {
    Separator(),
    Button(16, cmd::kNew, "New blank list"),
    Button(1, cmd::kOpen, "Open settings from a file"),
    Button(2, cmd::kSave, "Save settings"),
    Button(11, cmd::kPrint, "Print"),
    Separator(),
    Button(3, cmd::kCut, "Cut channels"),
    Button(4, cmd::kCopy, "Copy channels"),
    Button(5, cmd::kPaste, "Paste channels"),
    Separator(),
    Button(0, cmd::kInsert, "Insert new channel"),
    Button(6, cmd::kDelete, "Delete channels"),
    Button(10, cmd::kSortByName, "Sort channels alphabetically"),
    Button(9, cmd::kSortByFrequency, "Sort channels by frequency"),
    Separator(),
    ToolbarEntry{7, cmd::kSerialWrite, cmd::kScsiWrite, "Send settings to Mediamaster via serial",
                 "Send settings to Mediamaster via SCSI"},
    ToolbarEntry{8, cmd::kSerialRead, cmd::kScsiRead, "Read settings from Mediamaster via serial",
                 "Read settings from Mediamaster via SCSI"},
    Separator(),
    Button(12, cmd::kBandScanner, "Band scanner"),
    Separator(),
    Button(14, cmd::kStreamPopup, "SCSI stream transfer"),
};

}  // namespace

std::span<const MenuPopup> MainMenu() { return kMenuBar; }
std::span<const int> ScsiOnlyCommands() { return kScsiOnly; }
std::span<const ToolbarEntry> Toolbar() { return kToolbar; }

bool ClearsStatusAfter(int command) {
  // The two reads of the list leave the status line themselves (cleared, or "0 channels").
  static constexpr std::array kClearing = {
      cmd::kSerialWrite,     cmd::kSerialFirmware,   cmd::kSerialGrab,      cmd::kScsiWrite,
      cmd::kScsiFirmware,    cmd::kScsiSpeedTest,    cmd::kScsiReadMemory,  cmd::kScsiGrab,
      cmd::kScsiReadStreams, cmd::kScsiWriteStreams, cmd::kStreamFileCheck, cmd::kTuneChannel,
  };
  for (const int clearing : kClearing) {
    if (clearing == command) return true;
  }
  return false;
}

const char* GrabTooltip(bool scsiAvailable) {
  return scsiAvailable ? "SCSI frame grabber" : "Serial frame grabber";
}

}  // namespace pelorus
