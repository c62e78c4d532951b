// The program's numbered texts and the few fixed texts beside them.
//
// Entry numbers are kept as the program has always numbered them; entries
// without a text are empty. Entry 1 is not constant: it holds the log file
// name, which the log dialog and the start-up option L replace, so the table
// is a value held in the engine rather than a global.
#pragma once

#include <array>
#include <string>

namespace tarvo {

enum Msg : int {
  kMsgLogFileName = 1,
  kMsgDumpClass = 2,
  kMsgProductName = 3,
  kMsgCaption = 4,
  kMsgSelectDriveInMenu = 7,
  kMsgWrite1024 = 8,
  kMsgNoDataFork = 10,
  kMsgNoResourceFork = 11,
  kMsgRenameVolume = 12,
  kMsgDriveNotReady = 13,
  kMsgCopyOf = 17,
  kMsgCopyingDirectory = 18,
  kMsgQuitting = 19,
  kMsgNoSelection = 20,
  kMsgCopyingCatalog = 21,
  kMsgCopyingExtents = 22,
  kMsgUpdatingDisk = 23,
  kMsgRenameItem = 24,
  kMsgDosFileName = 25,
  kMsgErrorReadingData = 27,
  kMsgWildcardOneSide = 28,
  kMsgNotMacBinary = 29,
  kMsgErrorInitMenu = 30,
  kMsgKbFree = 31,
  kMsgKbUsed = 32,
  kMsgCannotExtendCatalog = 35,
  kMsgTheFile = 37,
  kMsgAlreadyExistsReplace = 38,
  kMsgAlreadyExistsAbort = 39,
  kMsgDirectoryExists = 40,
  kMsgDeleteDirectory = 43,
  kMsgDumpingFile = 44,
  kMsgDeleteSeveral = 45,
  kMsgAnalyzing = 47,
  kMsgDirectoryNotEmpty = 48,
  kMsgHitEscToAbort = 49,
  kMsgReallyAbort = 50,
  kMsgNoTempSpace = 51,
  kMsgNotMacVolume = 54,
  kMsgMsDosVolume = 55,
  kMsgInitializing = 56,
  kMsgVolumeFull = 57,
  kMsgNoScsiDevice = 58,
  kMsgNoMdb = 59,
  kMsgWriteProtected = 60,
  kMsgBlockError = 62,
  kMsgAspiInit = 63,
  kMsgLockVolume = 64,
  kMsgUnlockVolume = 65,
  kMsgSelectDrive = 66,
  kMsgSelectPartition = 67,
  kMsgCreatingStructures = 68,
  kMsgResettingSectors = 69,
  kMsgUnknownMedium = 70,
  kMsgDirTag = 72,
  kMsgDirLabel = 73,
  kMsgVolLabel = 74,
  kMsgRootName = 75,
  kMsgNoAccelerators = 77,
  kMsgUntitled = 81,
  kMsgNewFolder = 82,
  kMsgNoFile = 83,
  kMsgCannotSwapForks = 85,
};

inline constexpr int kMessageCount = 86;

// The fixed texts outside the table.
inline constexpr const char* kTextPleaseWait = "Please wait";
inline constexpr const char* kTextNoMemory = "Not enough memory. Aborting.";
inline constexpr const char* kTextZeroAllocation = "Allocation request for zero bytes. Aborting.";
inline constexpr const char* kTextErrorOpeningFile = "Error opening file:";
// A typed command whose word is no keyword, and one whose name matches
// nothing: each followed by what was typed.
inline constexpr const char* kTextUnknownCommand = "Unknown command: ";
inline constexpr const char* kTextNameTaken = "An item exists already with the name ";
inline constexpr const char* kTextNoSuchItem = "No such file or folder: ";
// The product text of "About Tarvo" and "Exit Program": what the program is
// for and its release, three lines.
inline constexpr const char* kTextProduct =
    "Tarvo - Macintosh volumes on the PC\n"
    "Reads and writes HFS cartridges and images\n"
    "Release 0.1";
// A catalog search met a node or record that cannot be read: the listing
// holds what came before it.
inline constexpr const char* kTextCatalogDamaged = "The catalog is damaged. Some files may not be listed.";
// A write to the medium failed and what the operation had written was put
// back: the volume is as it was before it.
inline constexpr const char* kTextChangeNotMade = "Error writing to the volume: the change was not made.";
// The same for a format: the medium holds what it held before.
inline constexpr const char* kTextNotFormatted = "Error writing to the medium: it was not formatted.";
// A format failed and what it had written could not be put back.
inline constexpr const char* kTextFormatIncomplete = "Error writing to the medium: the format is incomplete.";
// The journal of an update (update_journal.h) could not be written on the
// PC, so the update was not begun: "%s" says what failed.
inline constexpr const char* kTextJournalNotWritten =
    "The journal of this update could not be written (%s): the volume was not changed.";
// An opening found the journal of an update a stopped program left
// half-written, and put back what it had overwritten.
inline constexpr const char* kTextUpdateTakenBack = "An interrupted update of this volume was taken back.";
// The same, when the originals could not be written back: the journal
// stays for the next opening.
inline constexpr const char* kTextUpdateNotTakenBack =
    "An interrupted update of this volume could not be taken back; the volume may need checking.";
// A write command refused because the volume check found damage in what it
// would change: "%s" is the first such finding, with how many more follow.
inline constexpr const char* kTextWriteOnDamage =
    "The volume is damaged where this command would write: %s. Nothing was written; please copy your files to the PC.";

// Another program holds the medium: a command that would write ends
// without writing, and a start-up that would read waited for its update in
// vain (medium_lock.h).
inline constexpr const char* kTextVolumeInUse = "The volume is in use by another program.";

// tarvo-mount: a volume that may not be written is mounted all the same,
// for reading; names a new entry cannot bear; a file whose content could
// not be written to the volume (the old content stays). "%s" is the name.
inline constexpr const char* kTextMountedReadOnly = "The volume is mounted read-only.";
inline constexpr const char* kTextNameTooLong =
    "The name \"%s\" is longer than the 31 characters a Macintosh name may have.";
inline constexpr const char* kTextNameWithColon = "The name \"%s\" holds ':', which a Macintosh name cannot.";
inline constexpr const char* kTextFileNotWritten = "The file \"%s\" could not be written to the volume.";
inline constexpr const char* kTextFileNotWrittenNoSpace =
    "The file \"%s\" could not be written to the volume: not enough space.";

// The PC's disk has no room for a file copied to it.
inline constexpr const char* kTextPcDiskFull = "Not enough space on the PC disk.";
// A file copied to the PC could not be written; its PC name follows.
inline constexpr const char* kTextErrorWritingFile = "Error writing file: ";
inline constexpr const char* kTextErrorReadingFile = "Error reading file: ";
// A file copied to the PC finds its name taken by a file ("%s", its PC
// name): the user chooses Replace, Skip or Keep both.
inline constexpr const char* kTextPcFileExists = "\"%s\" already exists on the PC.";
// drNxtCNID is no ID a new item may take (volume_counters.h): a new file
// or folder is refused.
inline constexpr const char* kTextNoCatalogId =
    "The volume has no valid ID left for a new file or folder; nothing was created.";

// A request reached past sector 4294967295, the last a SCSI command can
// address (a volume header whose blocks lie that far): it was refused.
inline constexpr const char* kTextSectorPastAddresses =
    "The volume reaches past the last sector a SCSI command can address; nothing was read or written there.";

// The volume header describes allocation blocks beyond the medium or the
// partition that holds the volume: the opening lists what it can, and the
// volume check reports the same.
inline constexpr const char* kTextVolumePastMedium =
    "The volume header describes a volume larger than its medium; the last blocks cannot be read or written.";
inline constexpr const char* kTextVolumePastPartition =
    "The volume header describes a volume larger than its partition; the blocks past it cannot be read or written.";

// The desktop program's image files: the file dialogs' titles and
// filters, the size question of a new image and the submenu of the images
// opened last.
inline constexpr const char* kTextOpenImage = "Open image";
inline constexpr const char* kTextNewImage = "New image";
inline constexpr const char* kTextImageFiles = "Image files";
inline constexpr const char* kTextAllFiles = "All files";
inline constexpr const char* kTextImageSize =
    "Size of the new image in MB (1 to 2048; 44, 88, 105, 200 and 270 are the cartridges' own sizes):";
inline constexpr const char* kTextRecentImages = "Recent images";

struct MessageTable {
  MessageTable();  // fills every entry with its start text
  const std::string& operator[](int entry) const { return texts.at(entry); }
  std::array<std::string, kMessageCount> texts;
};

// Fills a table text's one "%s", "%d" or "%lu" pattern (in order) with the
// given arguments, printf style.
std::string FormatMessage(const std::string& pattern, const std::string& a);
std::string FormatMessage(const std::string& pattern, const std::string& a, const std::string& b);

}  // namespace tarvo
