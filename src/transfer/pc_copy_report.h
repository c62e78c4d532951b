// What the copy onto the volume tells the user when a PC file cannot be
// read as a Macintosh file (pc_file_reader.h), cannot be written as one
// (write_file.h) or cannot replace an item (replace_file.h). Names: pcName
// in ANSI, macName in Mac Roman.
#pragma once

#include <string>

#include "transfer/pc_file_reader.h"
#include "transfer/replace_file.h"
#include "transfer/write_file.h"

namespace tarvo {

struct Engine;

// A passed-over AppleDouble partner: "The file NAME: its AppleDouble file
// ._NAME is not used, as PROBLEM; the data fork alone is copied." Then,
// unless the file was read: "Not a MacBinary file. NAME", "The file NAME
// was not copied: PROBLEM." or "Error reading file: NAME".
void TellPcReading(Engine& ctx, const PcFileReading& reading, const std::string& pcName);

// Nothing for kDone, nor for kCatalogRefused (the catalog told already).
void TellFileWrite(Engine& ctx, FileWrite written, const std::string& pcName, const std::string& macName);

// A failed replace: why, as TellFileWrite or the flush report words it
// ("Error writing to the volume: the change was not made." when the flush
// ending it failed), then, when the old file is lost, "The volume may need
// checking: the file NAME could not be put back."
void TellReplace(Engine& ctx, const ReplaceResult& result, const std::string& pcName, const std::string& macName);

}  // namespace tarvo
