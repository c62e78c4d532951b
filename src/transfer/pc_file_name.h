// The PC names of Macintosh files and folders copied to the PC.
//
// A long name is the host's UTF-8, made straight from the Mac Roman name
// (base/utf8.h), so that every Mac name survives the trip to a Linux folder
// and back; a short 8.3 name is DOS (code page 437) text, which
// PcNameToPath turns into the host's UTF-8 path component. ShownPcName
// gives either as the windows show it (ANSI). Both take the Mac name's
// extension (its last dot and 1 to 3 characters), else the one the
// type/creator table gives; short names keep only the characters DOS
// allows.
//
// A name never leaves the directory it is made in: every name passes
// SafePcName, as a Linux name holds neither '/' nor NUL.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "base/type_creator.h"

namespace tarvo {

// Ends the name with ".ext" (ext in lower case), in place of an extension
// of at most 3 characters that the name already has.
void SetExtension(std::string& name, std::string_view ext);
// The unique extension for a count: three base-32 digits of count modulo
// 32768, most significant first ("0".."9", "A".."V").
std::string NumberedExtension(std::uint16_t count);
// The long name of the n-th copy beside one of that name: " (n)" before its
// extension (after the last dot that does not start the name), as file
// managers number copies: "READ ME (1).txt".
std::string NumberedLongName(std::string_view name, std::uint32_t n);

// The name of a Mac file (Mac Roman; leading and trailing blanks do not
// count) of the given 8-character type and creator.
std::string LongPcFileName(std::string_view macName, std::string_view typeCreator, const TypeCreatorTable& table);
std::string ShortPcFileName(std::string_view macName, std::string_view typeCreator, const TypeCreatorTable& table);
// The directory name of a Mac folder (leading blanks do not count).
std::string PcFolderName(std::string_view macName, bool longNames);

// The name with '_' for every '/' and NUL, and for every dot when it holds
// nothing but dots; "_" when it is empty.
std::string SafePcName(std::string name);

// The host path of a name in a directory: a long name as it is (UTF-8), a
// short one read as DOS text.
std::filesystem::path PcNameToPath(const std::filesystem::path& dir, std::string_view name, bool shortName);
// The name as the windows show it (ANSI).
std::string ShownPcName(std::string_view name, bool shortName);

}  // namespace tarvo
