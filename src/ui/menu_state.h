// Which commands of the main window are available, as a pure function of the
// state they depend on. The front end applies the result to its menu bar and
// buttons after every command that changes the drive, the folder, the
// selection, a mode or the catalog.
//
// Rules:
//   - "&File", 103 "Re&name Macintosh volume", 104 "Volume Information" and
//     the group-1 buttons need a mounted Macintosh volume; 130 "&Medium
//     Scanning" needs a selected drive (rescue works on damaged volumes);
//   - 109, 110 and the group-2 buttons need a volume whose current folder is
//     not the root;
//   - 106, 108, 112, 113, 114, 115 and the group-3 buttons need a selected
//     row;
//   - 119 needs rows after the page shown; 141 and 120 follow the listing's
//     back-paging flag;
//   - check marks: 121/122/123/134/143/144/145 the copy mode (BinHex, text,
//     AppleSingle, AppleDouble, MacBinary, resource, data: the first set), 142/128/138 the listing mode (signature bit before
//     extended bit), 125 the current-directory target, 131 an open log,
//     137 the reset mode; 136 reads "Unlock volume" while the medium is
//     locked, "Lock volume" otherwise.
// Every other item is enabled.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "base/program_settings.h"
#include "base/volume_state.h"
#include "ui/menu_model.h"

namespace tarvo {

struct Context;
struct MessageTable;

struct MenuInputs {
  bool driveSelected = false;  // a target is chosen
  bool volumeOpen = false;     // a Macintosh volume is mounted
  std::uint32_t currentDirId = kRootDirId;
  int selectedCount = 0;
  std::uint16_t modeFlags = kCopyData;
  bool useCurrentDirectory = false;
  bool logOpen = false;
  bool mediumLocked = false;
  bool resetBeforeTransfer = false;
  // Listing paging: the row after the page shown, rows in all, and whether
  // a page back is possible.
  int listingNext = 0;
  int listingCount = 0;
  bool backPagingEnabled = false;
};

MenuInputs MenuInputsFrom(const Context& ctx);

struct ItemState {
  bool enabled = true;
  bool checked = false;
  std::string text;  // empty for ids without an item
};

struct MenuState {
  bool fileMenuEnabled = false;
  std::array<ItemState, kLastMenuCommand - kFirstMenuCommand + 1> items;
  std::array<bool, 6> buttonsEnabled{};  // in FunctionButtons() order

  // The state of item 101..147; throws std::out_of_range for other ids.
  const ItemState& item(int id) const { return items.at(static_cast<std::size_t>(id - kFirstMenuCommand)); }
};

MenuState UpdateMenuState(const MenuInputs& in, const MessageTable& messages);

// The Options item that shows the copy mode of the flags word checked.
int CheckedCopyItem(std::uint16_t flags);

// Items of the listing's popup menu: "Dump content" and "Edit &Attributes"
// are grayed when the row clicked is a folder.
bool PopupItemEnabled(int id, bool rowIsFolder);

}  // namespace tarvo
