// The PC side of copies: files, dates, free space and the output ports, on
// the host's file system.
//
// The PC current directory is the process's current directory. Copies name
// every file by its full path and never change directory. An output port is
// a device path (or the one its TARVO_ variable names, as the user help
// tells), written at its end so that successive copies follow each other as
// they would on a printer.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

namespace tarvo {

inline constexpr int kPortCount = 8;  // 0 file, 1-3 LPT1-LPT3, 4-7 COM1-COM4

// "LPT1" .. "COM4" for ports 1..7.
std::string OutputPortName(int port);
// The host path of port 1..7.
std::string OutputPortPath(int port);
// The open port, or nullptr.
std::FILE* OpenOutputPort(int port);

// The directory's file system takes names of 255 bytes.
bool LongNamesSupported(const std::filesystem::path& dir);

// The free space of the file system of the directory files are copied
// into, asked once and then counted down by each file let through. While
// plenty remains the count answers alone; when less than kPcSpaceRecheck
// bytes would remain, or the directory changes, the file system is asked
// again, so a disk that fills up is seen as if it were asked every time.
struct PcFreeSpace {
  std::filesystem::path dir;  // the directory last asked about
  std::uint64_t unit = 0;     // allocation unit in bytes; 0: unknown
  std::uint64_t freeUnits = 0;
};
inline constexpr std::uint64_t kPcSpaceRecheck = std::uint64_t{64} << 20;

// More free allocation units on the directory's file system than
// byteCount / unit size; true when the file system does not tell. Space
// let through is counted as taken.
bool EnoughPcSpace(PcFreeSpace& space, const std::filesystem::path& dir, std::uint64_t byteCount);

// A new file opened for writing; never an existing one. nullptr with
// `exists` set when something of that name is there already, a symbolic
// link included (never written through, even when it leads nowhere). The
// stream has no buffer of its own: copies write whole runs of sectors at a
// time.
std::FILE* CreateNewPcFile(const std::filesystem::path& path, bool& exists);

// A directory made for a copy, or one of that name that is there already
// and is a directory itself. Anything else of that name (a file, or a
// symbolic link, even one to a directory: a copy never follows a link it
// meets in its target) leaves the name taken.
enum class PcDirectory { kMade, kExists, kNameTaken, kFailed };
PcDirectory MakePcDirectory(const std::filesystem::path& path);

// An existing file opened for reading, or nullptr. Like a new file, the
// stream has no buffer of its own: copies read whole runs at a time.
std::FILE* OpenPcFileToRead(const std::filesystem::path& path);

// Sets the open file's modification time to the moment whose local
// wall-clock time is the Macintosh date (seconds included); the file's
// buffered bytes are written first.
bool SetPcFileDate(std::FILE* file, std::uint32_t macDate);

}  // namespace tarvo
