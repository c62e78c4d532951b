// The front end's state: the engine, plus what the window shows (the
// listing and the menu). Command handlers of ui/ and command/ take it;
// everything below ui/ takes the engine alone.
#pragma once

#include <functional>
#include <string_view>

#include "base/engine.h"
#include "ui/listing.h"
#include "ui/menu_state.h"

namespace tarvo {

struct Context : Engine {
  ListingView listing;
  MenuState menu;  // what the menu bar and buttons show, after the last command
  // Runs one typed line of the command language (command/run_command.h);
  // the front end sets it, so that the command line dialog reaches the
  // interpreter above the user interface.
  std::function<void(Context& ctx, std::string_view line)> runCommandLine;
};

}  // namespace tarvo
