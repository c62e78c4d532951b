#include "base/messages.h"

namespace tarvo {

MessageTable::MessageTable() {
  auto& t = texts;
  t[1] = "tarvo.log";
  t[2] = "filedump";
  t[3] = "Tarvo";
  t[4] = "Tarvo";
  t[7] = "Select drive in the 'Mac Drive' menu";
  t[8] = "Write functions are not yet validated for media with 1024 bytes/sector.";
  t[10] = "File %s has no data fork.";
  t[11] = "File %s has no resources fork.";
  t[12] = "Rename Macintosh volume";
  t[13] = "Drive not ready or no floppy disk.";
  t[17] = "Copy of \"%s\" to \"%s\"";
  t[18] = "Copying directory \"%s\" to \"%s\"";
  t[19] = "Quitting...";
  t[20] = "No selected file or folder. Please select an item to copy toward the PC";
  t[21] = "Copying catalog...";
  t[22] = "Copying extensions...";
  t[23] = "Updating disk managing structures on disc...";
  t[24] = "Rename file or folder";
  t[25] = "File name on the DOS volume";
  t[27] = "Error reading data. Restart the program.";
  t[28] = "Renaming with a wildcard on one side only?";
  t[29] = "Not a MacBinary file.";
  t[30] = "Error initializing menu/windows.";
  t[31] = "KB free : ";
  t[32] = "KB used : ";
  t[35] = "Error trying to extend catalog.";
  t[37] = "The file ";
  t[38] = " already exists. OK to replace it?";
  t[39] = " already exists. Aborting the copy...";
  t[40] = "A directory exists already with this name.";
  t[43] = "Delete directory";
  t[44] = "Dumping file \"";
  t[45] = "Deleting several files/directories?";
  t[47] = "Analyzing the volume...";
  t[48] = "The directory is not empty.";
  t[49] = "Hit Esc to abort scanning";
  t[50] = "You hit the Esc key. Do you really want to abort?";
  t[51] = "Not enough free space for temporary files.";
  t[54] = "This is not a Macintosh volume.";
  t[55] = "This is a MS-DOS formatted volume.";
  t[56] = "Volume initializing running...";
  t[57] = "Not enough space on the volume.";
  t[58] = "The program can't detect a kwown SCSI device.";
  t[59] = "Unable to find a Macintosh volume header (MDB).";
  t[60] = "Write-protected media.";
  t[62] = "Error in block of %d sectors beginning at %lu. Do you want to continue?";
  t[63] = "Error initializing the ASPI manager.";
  t[64] = "Lock volume";
  t[65] = "Unlock volume";
  t[66] = "Please select a drive on the SCSI bus.";
  t[67] = "Please select a partition on the volume.";
  t[68] = "Creating disk management structures...";
  t[69] = "Resetting first sectors of the disk...";
  t[70] = "Unable to identify the magnetic medium.";
  t[72] = "<DIR> ";
  t[73] = " Dir: ";
  t[74] = " Vol: ";
  t[75] = "Root  ";
  t[77] = "Key combinations not available.";
  t[81] = "Untitled";
  t[82] = "New folder";
  t[83] = "[No file]";
  t[85] = "Unable to swap data and resource forks.";
}

namespace {

// Replaces the first printf pattern (%s, %d, %lu) at or after `from` with
// `value`; returns the position after the inserted text.
std::size_t FillFirst(std::string& text, std::size_t from, const std::string& value) {
  for (std::size_t i = text.find('%', from); i != std::string::npos; i = text.find('%', i + 1)) {
    std::size_t length = 0;
    if (text.compare(i, 2, "%s") == 0 || text.compare(i, 2, "%d") == 0) length = 2;
    else if (text.compare(i, 3, "%lu") == 0) length = 3;
    if (length == 0) continue;
    text.replace(i, length, value);
    return i + value.size();
  }
  return text.size();
}

}  // namespace

std::string FormatMessage(const std::string& pattern, const std::string& a) {
  std::string text = pattern;
  FillFirst(text, 0, a);
  return text;
}

std::string FormatMessage(const std::string& pattern, const std::string& a, const std::string& b) {
  std::string text = pattern;
  FillFirst(text, FillFirst(text, 0, a), b);
  return text;
}

}  // namespace tarvo
