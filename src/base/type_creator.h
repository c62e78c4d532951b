// The link between PC file extensions and Macintosh file type and creator.
//
// The table has 40 rows, each a 3-character extension (upper case) and an
// 8-character type-and-creator (type, then creator). Rows 23 to 37 are free
// (spaces in both fields) until the user file TVCREAT.DAT fills them. Row 1
// (TXT, "TEXT????") is the default in both directions. A free row holds no
// mapping: neither lookup ever answers with one, so a Mac file of type
// "    " never gets the extension "   ".
//
// After the 40 rows come built-in rows for the types of later years (JPEG,
// GIF, PNG, TIFF, PDF, ZIP, StuffIt, Photoshop, HTML, MP3, QuickTime, WAV,
// AIFF and others), whose extensions may have 4 characters (JPEG, HTML);
// both lookups read them after the table's rows, so the user file
// overrides them.
//
// TVCREAT.DAT is merged once per run. The first readable regular file found
// wins, looked up under the names TVCREAT.DAT and then tvcreat.dat in
//   1. the current directory,
//   2. the directory of the program,
//   3. $XDG_CONFIG_HOME/tarvo (by default ~/.config/tarvo).
// Only regular files are read, so a device or pipe of that name cannot make
// the load endless; a read-only file is read like any other.
//
// The file is read line by line; line ends are "\n" or "\r\n", and only the
// first 79 characters of a longer line count (the rest of it is skipped, it
// never becomes a line of its own). A line whose first character is '#' is
// a comment. Otherwise: white space is skipped, the next 3 characters are
// the extension (taken as they are, so it must be written in upper case to
// be found), white space is skipped again and the next 8 characters are the
// type followed by the creator (taken as they are, spaces included; a
// double quote has no special meaning). A type-and-creator shorter than 8
// characters is filled up with spaces. A line with nothing but white space,
// or that ends before its extension is complete or before the type starts,
// is ignored. A line whose extension is in the table replaces that row;
// otherwise it takes the first free row; with no free row left the line is
// dropped with a beep.
#pragma once

#include <array>
#include <filesystem>
#include <iosfwd>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tarvo {

struct Engine;

inline constexpr std::size_t kTypeCreatorRows = 40;

struct TypeCreatorRow {
  std::array<char, 3> extension;
  std::array<char, 8> typeCreator;
};

struct TypeCreatorTable {
  std::array<TypeCreatorRow, kTypeCreatorRows> rows;
  bool userFileLoaded = false;

  TypeCreatorTable();  // the built-in rows
};

// The places TVCREAT.DAT is looked for, in order.
std::vector<std::filesystem::path> TypeCreatorFileCandidates();

// Merges the user file into ctx's table the first time it is called in the
// run; later calls do nothing. A missing or unreadable file is not
// reported. Sounds one beep for each line that found no row.
void LoadTypeCreatorFile(Engine& ctx);
void LoadTypeCreatorFile(Engine& ctx, std::span<const std::filesystem::path> candidates);

// Merges the lines of a TVCREAT.DAT text into the table; returns how many
// lines were dropped because no row was free.
int MergeTypeCreatorLines(TypeCreatorTable& table, std::istream& in);

// The 8-character type-and-creator for a PC file name, from the extension
// after the name's last dot (compared in upper case); "TEXT????" when the
// name has no extension or one no row holds.
std::string TypeCreatorForPcName(const TypeCreatorTable& table, std::string_view pcName);

// The extension (upper case, as the table holds it) for a type and creator
// of 8 characters: the first row holding the same 8 characters, else the
// first with the same type, else the first whose type begins with the same
// 2 characters, else "TXT". A type of later years first found in the rows
// after the table gets 3 characters (JPG), as short names need.
std::string ExtensionForTypeCreator(const TypeCreatorTable& table, std::string_view typeCreator);

}  // namespace tarvo
