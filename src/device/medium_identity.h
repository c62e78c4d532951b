// The name of the medium in a drive, for its update journal
// (update_journal.h): the same each time the medium is in the drive, and
// different for media the drive can tell apart.
//
// A drive that reports a unit serial number (INQUIRY, vital product data
// page 0x80) is named by its vendor, product and serial number; the image
// bus reports there the image file's device and inode, so an image keeps
// its name however it is attached, and two image files never share one,
// and a block device's number, which stays when its node is made anew.
// Any other drive is named by its adapter and target, vendor, product and
// revision. The capacity (READ CAPACITY) ends every name. A drive that
// cannot tell its cartridges apart gives them all one name: the journal's
// contents tell them apart (interrupted_update.h).
#pragma once

#include <cstdint>
#include <string>

namespace tarvo {

struct Engine;

std::string MediumIdentity(Engine& ctx, std::uint8_t adapter, std::uint8_t target);

}  // namespace tarvo
