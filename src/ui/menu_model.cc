#include "ui/menu_model.h"

#include <array>
#include <string>

#include "base/services.h"
#include "ui/context.h"

namespace tarvo {

namespace {

constexpr MenuItem kSeparator{0, ""};

constexpr std::array kDriveMenu{
    MenuItem{kMenuOpenImage, "&Open image..."},
    MenuItem{kMenuNewImage, "Ne&w image..."},
    kSeparator,
    MenuItem{kMenuSelectDrive, "&Select Drive\tAlt+D"},
    MenuItem{kMenuBruteForce, "Brute force search"},
    kSeparator,
    MenuItem{kMenuFormat, "&Format Macintosh volume"},
    MenuItem{kMenuRenameVolume, "Re&name Macintosh volume", true},
    MenuItem{kMenuVerify, "Verify volume"},
    MenuItem{kMenuVolumeInfo, "Volume Information", true},
    kSeparator,
    MenuItem{kMenuLock, "Lock volume"},
    MenuItem{kMenuReset, "Reset drive"},
    kSeparator,
    MenuItem{kMenuExit, "E&xit"},
};

constexpr std::array kFileMenu{
    MenuItem{kMenuCopyToPc, "&Copy from Mac to PC"},
    MenuItem{kMenuCopyToMac, "Copy from PC to &Mac"},
    kSeparator,
    MenuItem{kMenuChangeDirectory, "C&hange Directory"},
    MenuItem{kMenuRoot, "&Return to Root"},
    MenuItem{kMenuParent, "Return to &Parent"},
    MenuItem{kMenuMakeDirectory, "&Make Directory\tAlt+N"},
    kSeparator,
    MenuItem{kMenuDelete, "&Delete\tDel"},
    MenuItem{kMenuRename, "R&ename"},
    MenuItem{kMenuDump, "Dump content"},
    MenuItem{kMenuAttributes, "Edit &Attributes\tAlt+A"},
    kSeparator,
    MenuItem{kMenuSelectAll, "Select All\tCtl+F10"},
    MenuItem{kMenuDeselectAll, "Deselect All\tF10"},
    MenuItem{kMenuInvertSelection, "&Invert Selection\tShift+F10"},
    kSeparator,
    MenuItem{kMenuNextScreen, "Next Screen\tPgDn", true},
    MenuItem{kMenuPrecedingScreen, "Preceding Screen\tPgUp", true},
    MenuItem{kMenuFirstScreen, "First Screen\tCtl+PgUp", true},
};

constexpr std::array kOptionsMenu{
    MenuItem{kMenuNormalCopy, "&Normal Copy", false, true},
    MenuItem{kMenuResourcesCopy, "&Resources Copy\tAlt+R"},
    MenuItem{kMenuBinaryCopy, "&Binary Copy\tAlt+B"},
    MenuItem{kMenuBinHexCopy, "Bin&Hex Copy"},
    MenuItem{kMenuAppleSingleCopy, "Apple&Single Copy"},
    MenuItem{kMenuAppleDoubleCopy, "AppleD&ouble Copy"},
    MenuItem{kMenuTextCopy, "&Text Copy"},
    kSeparator,
    MenuItem{kMenuSwapForks, "Swap file forks"},
    kSeparator,
    MenuItem{kMenuDestination, "&Destination Directory"},
    MenuItem{kMenuUseCurrentDirectory, "&Use Current Directory"},
    kSeparator,
    MenuItem{kMenuFileNaming, "&File Naming"},
    MenuItem{kMenuOutputPorts, "&Output Ports"},
    kSeparator,
    MenuItem{kMenuShortListing, "Short Listing", false, true},
    MenuItem{kMenuExtendedListing, "&Extended Listing\tAlt+E"},
    MenuItem{kMenuSignatureListing, "Listing w/Signature\tAlt+S"},
    kSeparator,
    MenuItem{kMenuCommandLine, "&Command Line\tAlt+C"},
    MenuItem{kMenuMediumScanning, "&Medium Scanning"},
    MenuItem{kMenuLogFile, "&Log File"},
};

constexpr std::array kHelpMenu{
    MenuItem{kMenuAbout, "About Tarvo..."},
    kSeparator,
    MenuItem{kMenuHelpIndex, "Help Index"},
};

constexpr std::array kMainMenu{
    MenuPopup{"Mac &Drive", kDriveMenu},
    MenuPopup{"&File", kFileMenu},
    MenuPopup{"&Options", kOptionsMenu},
    MenuPopup{"&Help", kHelpMenu, true},
};

constexpr std::array kListingPopup{
    MenuItem{kMenuCopyToPc, "&Copy from Mac to PC"},
    MenuItem{kMenuDelete, "&Delete\tDel"},
    MenuItem{kMenuRename, "R&ename"},
    MenuItem{kMenuDump, "Dump content"},
    MenuItem{kMenuAttributes, "Edit &Attributes\tAlt+A"},
};

constexpr std::array kAccelerators{
    Accelerator{"F1", kMenuHelpIndex},
    Accelerator{"F10", kMenuDeselectAll},
    Accelerator{"Ctrl+F10", kMenuSelectAll},
    Accelerator{"Shift+F10", kMenuInvertSelection},
    Accelerator{"PgDown", kMenuNextScreen},
    Accelerator{"PgUp", kMenuPrecedingScreen},
    Accelerator{"Ctrl+PgUp", kMenuFirstScreen},
    Accelerator{"Del", kMenuDelete},
    Accelerator{"Esc", kMenuExit},
    Accelerator{"Alt+A", kMenuAttributes},
    Accelerator{"Alt+B", kMenuBinaryCopy},
    Accelerator{"Alt+C", kMenuCommandLine},
    Accelerator{"Alt+D", kMenuSelectDrive},
    Accelerator{"Alt+E", kMenuExtendedListing},
    Accelerator{"Alt+N", kMenuMakeDirectory},
    Accelerator{"Alt+R", kMenuResourcesCopy},
    Accelerator{"Alt+S", kMenuSignatureListing},
};

// Buttons in a row from x 12: each is (caption length x 10) + 20 wide and the
// next starts (caption length x 10) + 33 further on.
constexpr std::array<FunctionButton, 6> LayOutButtons() {
  std::array<FunctionButton, 6> buttons{{
      {"Mac->PC", kMenuCopyToPc, 1, 0, 0},
      {"PC->Mac", kMenuCopyToMac, 1, 0, 0},
      {"Rename", kMenuRename, 3, 0, 0},
      {"Delete", kMenuDelete, 3, 0, 0},
      {"Parent", kMenuParent, 2, 0, 0},
      {"Root", kMenuRoot, 2, 0, 0},
  }};
  int x = 12;
  for (FunctionButton& button : buttons) {
    const int length = static_cast<int>(button.caption.size());
    button.x = x;
    button.width = length * 10 + 20;
    x += length * 10 + 33;
  }
  return buttons;
}

constexpr std::array<FunctionButton, 6> kButtons = LayOutButtons();

struct HelpText {
  int id;
  std::string_view text;
};

constexpr std::string_view kDefaultHelp = "Select a menu or press F1 for help...";

constexpr std::array kHelpTexts{
    HelpText{101, "Select the drive holding the Macintosh volume."},
    HelpText{102, "Format a medium as a Macintosh volume."},
    HelpText{103, "Rename the Macintosh volume."},
    HelpText{104, "Display informations about the Macintosh volume."},
    HelpText{105, "Exit to Windows."},
    HelpText{106, "Copy files or directories from the Macintosh volume to the PC."},
    HelpText{107, "Copy files or directories from the PC to the Macintosh volume."},
    HelpText{108, "Change Directory (expand selected subdirectory)."},
    HelpText{109, "Return to root directory."},
    HelpText{110, "Return to parent directory."},
    HelpText{111, "Create a new directory (empty folder)."},
    HelpText{112, "Delete selected items (files or directories)."},
    HelpText{113, "Rename selected items (files or directories)."},
    HelpText{114, "Raw listing of file content."},
    HelpText{115, "Edit attributes (Name, Creator, Filetype, Date/Time)."},
    HelpText{116, "Cancel the entire selection."},
    HelpText{117, "Select all listed files."},
    HelpText{118, "Invert selection (selected items are deselected...)."},
    HelpText{119, "Show next directory screen."},
    HelpText{120, "Return to the top of the directory."},
    HelpText{121, "Copy the data fork only (default copy for Macintosh files)."},
    HelpText{122, "Copy the resources fork only (Macintosh files)."},
    HelpText{123, "MacBinary copy (Finder header + Data fork + Resources fork)."},
    HelpText{124, "Select a target directory."},
    HelpText{125, "Confirm current directory as target directory."},
    HelpText{126, "Naming mode of the Macintosh files copied on the PC."},
    HelpText{127, "Direct copy of Macintosh files to computer ports (LPT, COM)."},
    HelpText{128, "Wide listing with length of data and resources, date/time, etc."},
    HelpText{129, "Toggle between function buttons and command line."},
    HelpText{130, "Scan the whole (corrupted) Macintosh volume to rescue existing files."},
    HelpText{131, "Open/close a logfile with Macintosh and MS-DOS file names."},
    HelpText{132, "Activate the help system."},
    HelpText{134, "BinHex 4.0 copy (.hqx text holding Finder header and both forks)."},
    HelpText{135, "Verify integrity of the magnetic volume (caution, lengthy operation)."},
    HelpText{136, "Lock/unlock the Macintosh volume (enable/disable ejection of the medium)."},
    HelpText{137, "Systematic reset with each read/write operation (required for certain types of SyQuest drives)."},
    HelpText{138, "Wide listing with length of data and resources, plus signature (creator/type) string."},
    HelpText{139, "Brute force search of the volume header (for some reformatted media)."},
    HelpText{140, "Swap the resources fork and the data fork of the Macintosh file."},
    HelpText{142, "Narrow (short) listing with name and data length"},
    HelpText{143, "AppleSingle copy (.as file holding name, Finder info, dates and both forks)."},
    HelpText{144, "AppleDouble copy (data fork as the file, Finder info, dates and resources in ._name beside it)."},
    HelpText{145, "Text copy (TEXT files as UTF-8 with LF line ends, and back)."},
    HelpText{146, "Open a disk image file as a new drive."},
    HelpText{147, "Create a disk image file, format it and open it."},
};

}  // namespace

std::span<const MenuPopup> MainMenu() { return kMainMenu; }

std::span<const MenuItem> ListingPopupMenu() { return kListingPopup; }

const MenuItem* FindMenuItem(int id) {
  if (id == 0) return nullptr;
  for (const MenuPopup& popup : kMainMenu) {
    for (const MenuItem& item : popup.items) {
      if (item.id == id) return &item;
    }
  }
  return nullptr;
}

std::span<const Accelerator> Accelerators() { return kAccelerators; }

std::span<const FunctionButton> FunctionButtons() { return kButtons; }

std::string_view MenuHelpText(int id) {
  for (const HelpText& help : kHelpTexts) {
    if (help.id == id) return help.text;
  }
  return kDefaultHelp;
}

void OnMenuHighlight(Context& ctx, int id) { SetStatus(ctx, std::string(MenuHelpText(id)), std::nullopt); }

}  // namespace tarvo
