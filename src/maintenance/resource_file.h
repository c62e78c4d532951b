// A small writer of Macintosh resource files (the content of a resource
// fork): the 16-byte header, the data area, and the map with its type list
// and reference lists.
//
// Layout: the header at 0 (data offset, map offset, data length, map
// length), 240 further bytes reserved for the system and the application,
// the data area at 256 (each resource as a 4-byte length and its bytes),
// then the map: a copy of the header, 6 bytes for the handle and file
// reference a Macintosh fills in when it opens the file, the attributes
// (0), the offsets of the type list (28) and of the name list, the type
// list (count - 1, then per type: its code, its resource count - 1 and the
// offset of its reference list from the type list's start), and the
// reference lists (per resource: its ID, name offset -1 for no name,
// attributes 0, a 3-byte offset into the data area, 4 bytes for the
// handle). Resources have no names, so the name list is empty and starts
// at the map's end.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tarvo {

struct Resource {
  std::string type;  // four Macintosh characters
  std::int16_t id = 0;
  std::vector<std::uint8_t> data;
};

// Types are listed in the order of their first resource; each type's
// references follow the order given.
std::vector<std::uint8_t> BuildResourceFile(const std::vector<Resource>& resources);

}  // namespace tarvo
