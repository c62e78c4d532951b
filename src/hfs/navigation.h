// The current directory of the mounted volume: entering a subdirectory,
// going to the parent or the root, and keeping a directory's valence (its
// entry count) in step with edits.
//
// Each move returns the valence of the directory now current, which is the
// row count the caller's listing is sized to before it is reloaded; nullopt
// when the directory was not found (or the catalog is damaged), in which
// case the current directory, its name included, stays as it was.
//
// Moves are echoed to an open log file as command lines: "*cd NAME\r\n",
// "*cd..\n" and "*cd\\\n" (written only for moves that happened).
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace tarvo {

struct Engine;

// A Macintosh volume is mounted on the selected drive.
bool VolumeOpen(const Engine& ctx);

// Makes the directory record (parentId, name) current.
std::optional<std::uint16_t> EnterDirectory(Engine& ctx, std::uint32_t parentId, std::string_view name);
// Enters the subdirectory `name` of the current directory.
std::optional<std::uint16_t> ChangeDirectory(Engine& ctx, std::string_view name);
std::optional<std::uint16_t> ParentDirectory(Engine& ctx);
std::optional<std::uint16_t> RootDirectory(Engine& ctx);

// Makes directory dirId current again through its thread record, without
// a log line (the way back from a folder an operation entered).
std::optional<std::uint16_t> EnterDirectoryById(Engine& ctx, std::uint32_t dirId);
// Adds delta to the valence of directory dirId, current or not.
std::optional<std::uint16_t> AdjustFolderValence(Engine& ctx, std::uint32_t dirId, int delta);

}  // namespace tarvo
