// The mouse in the main window's listing, without a toolkit: the front end
// passes the pointer in client coordinates, the client width and the
// listing font's line height. Rows start at y 72; in the short listing the
// right column starts at half the client width.
//
//   - a left (or middle) click toggles the selection of the row under it;
//   - a double click on a folder enters it (a double click on a file does
//     nothing beyond the toggle of its first click);
//   - a right click selects the row and asks for the popup menu "POPMENU":
//     the front end shows it at the pointer, with "Dump content" and "Edit
//     &Attributes" grayed for a folder (PopupItemEnabled), dispatches the
//     item chosen as an ordinary command and repaints.
// A point that hits no row does nothing.
#pragma once

#include <cstdint>
#include <optional>

namespace tarvo {

struct Context;

void OnListClick(Context& ctx, int x, int y, int clientWidth, int lineHeight);
void OnListDoubleClick(Context& ctx, int x, int y, int clientWidth, int lineHeight);
// The row (listing index) the popup menu is for, or nullopt: no popup.
std::optional<std::uint16_t> OnListRightClick(Context& ctx, int x, int y, int clientWidth, int lineHeight);

}  // namespace tarvo
