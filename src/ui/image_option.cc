#include "ui/image_option.h"

#include <algorithm>

namespace tarvo {

namespace {

bool AllDigits(std::string_view text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

std::optional<ImageSpec> ParseImageOption(std::string_view text, std::string& error) {
  ImageSpec image;
  bool sawReadOnly = false;
  bool sawBlockSize = false;
  for (int suffix = 0; suffix < 2; ++suffix) {
    const std::size_t comma = text.rfind(',');
    if (comma == std::string_view::npos) break;
    const std::string_view tail = text.substr(comma + 1);
    if (tail == "ro" && !sawReadOnly) {
      image.readOnly = sawReadOnly = true;
    } else if (AllDigits(tail) && !sawBlockSize) {
      if (tail != "512" && tail != "1024") {
        error = "Unsupported block size " + std::string(tail) + " in \"" + std::string(text) +
                "\" (512 or 1024).";
        return std::nullopt;
      }
      image.blockSize = tail == "512" ? 512 : 1024;
      sawBlockSize = true;
    } else {
      break;
    }
    text = text.substr(0, comma);
  }
  if (text.empty()) {
    error = "The image option needs a file name.";
    return std::nullopt;
  }
  image.path = std::string(text);
  return image;
}

}  // namespace tarvo
