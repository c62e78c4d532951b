// The --image option's text: an image to attach and how.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "device/image_file.h"

namespace tarvo {

// Reads PATH, PATH,ro, PATH,1024, PATH,ro,1024 or PATH,1024,ro (",512"
// names the default block size). Only those trailing suffixes count, so a
// path may contain commas. A trailing number that is not a supported block
// size is an error, as is an empty path.
std::optional<ImageSpec> ParseImageOption(std::string_view text, std::string& error);

}  // namespace tarvo
