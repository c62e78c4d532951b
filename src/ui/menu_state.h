// Which commands of the main window are available, as a pure function of the
// state they depend on (MenuInputs). The front end applies the result to its
// menu bar and buttons after every command that changes the drive, the
// folder, the selection, a mode or the catalog.
//
// Commands on the volume need a mounted one (the rescue only a drive, as it
// works on damaged volumes); commands on rows need a selected row; root and
// parent need a folder below the root; paging follows the listing. Check
// marks show the copy mode, the listing mode, the PC target, the log and the
// reset mode; the lock item reads as what it would do. Every other item is
// enabled.
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
