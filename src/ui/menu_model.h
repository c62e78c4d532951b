// The main window's command table as data: the menu bar "KESTREL", the popup
// menu "POPMENU" of the listing, the accelerator table, the six function
// buttons and the status-line help of each command. Every user action
// reaches the dispatcher as one of these command ids (101..147).
//
// Item texts are kept exactly, with "&" before the mnemonic letter and "\t"
// before the accelerator text. Accelerator keys are written in the usual
// portable notation ("Ctrl+F10", "Alt+A", "PgDown", "Del", "Esc").
#pragma once

#include <span>
#include <string_view>

namespace tarvo {

struct Context;

enum MenuCommand : int {
  kMenuSelectDrive = 101,
  kMenuFormat = 102,
  kMenuRenameVolume = 103,
  kMenuVolumeInfo = 104,
  kMenuExit = 105,
  kMenuCopyToPc = 106,
  kMenuCopyToMac = 107,
  kMenuChangeDirectory = 108,
  kMenuRoot = 109,
  kMenuParent = 110,
  kMenuMakeDirectory = 111,
  kMenuDelete = 112,
  kMenuRename = 113,
  kMenuDump = 114,
  kMenuAttributes = 115,
  kMenuDeselectAll = 116,
  kMenuSelectAll = 117,
  kMenuInvertSelection = 118,
  kMenuNextScreen = 119,
  kMenuFirstScreen = 120,
  kMenuNormalCopy = 121,
  kMenuResourcesCopy = 122,
  kMenuBinaryCopy = 123,
  kMenuDestination = 124,
  kMenuUseCurrentDirectory = 125,
  kMenuFileNaming = 126,
  kMenuOutputPorts = 127,
  kMenuExtendedListing = 128,
  kMenuCommandLine = 129,
  kMenuMediumScanning = 130,
  kMenuLogFile = 131,
  kMenuHelpIndex = 132,
  kMenuAbout = 133,
  kMenuBinHexCopy = 134,
  kMenuVerify = 135,
  kMenuLock = 136,
  kMenuReset = 137,
  kMenuSignatureListing = 138,
  kMenuBruteForce = 139,
  kMenuSwapForks = 140,
  kMenuPrecedingScreen = 141,
  kMenuShortListing = 142,
  kMenuAppleSingleCopy = 143,
  kMenuAppleDoubleCopy = 144,
  kMenuTextCopy = 145,
  // Attaching image files at run time: the desktop program's own commands
  // (a file dialog); the dispatcher has no operation for them.
  kMenuOpenImage = 146,
  kMenuNewImage = 147,
};

inline constexpr int kFirstMenuCommand = 101;
inline constexpr int kLastMenuCommand = 147;

// One menu entry; id 0 is a separator.
struct MenuItem {
  int id;
  std::string_view text;
  bool grayed = false;   // state when the menu is created
  bool checked = false;
};

struct MenuPopup {
  std::string_view title;
  std::span<const MenuItem> items;
  bool rightAligned = false;  // "&Help" sits at the right end of the bar
};

std::span<const MenuPopup> MainMenu();
std::span<const MenuItem> ListingPopupMenu();
// The item with that id in the menu bar; nullptr when there is none.
const MenuItem* FindMenuItem(int id);

struct Accelerator {
  std::string_view keys;
  int command;
};
std::span<const Accelerator> Accelerators();

// Child push buttons in one row under the menu bar, created disabled. The
// group decides their enabling: 1 volume, 2 not in the root, 3 selection.
struct FunctionButton {
  std::string_view caption;
  int command;
  int group;
  int x;      // first at 12, each next (caption length x 10) + 33 further
  int width;  // (caption length x 10) + 20
};
inline constexpr int kFunctionButtonTop = 4;
inline constexpr int kFunctionButtonHeight = 25;
std::span<const FunctionButton> FunctionButtons();

// The status-line help of a highlighted item: its string-table text, or
// text 100 "Select a menu or press F1 for help..." for any id without one
// (133 and 141 among the items), so no stale help stays in the status line.
std::string_view MenuHelpText(int id);
// Puts that text in the left part of the status line and clears the right.
void OnMenuHighlight(Context& ctx, int id);

}  // namespace tarvo
