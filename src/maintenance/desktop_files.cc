#include "maintenance/desktop_files.h"

#include <algorithm>

#include "maintenance/cartridge_icon.h"
#include "maintenance/format_layout.h"
#include "maintenance/resource_file.h"

namespace tarvo {

namespace {

constexpr std::uint16_t kDesktopKeyLength = 37;

std::vector<std::uint8_t> PascalString(const std::string& text);

}  // namespace

std::vector<DesktopFile> DesktopFiles() {
  const std::string desktop = "Desktop";
  TreeHeader dbHeader;
  dbHeader.maxKeyLength = kDesktopKeyLength;
  dbHeader.nodes = 1;
  const SectorBytes dbNode = TreeHeaderSector(dbHeader);
  return {
      {desktop, "FNDRERIK", ForkChoice::kResource, BuildResourceFile({{"STR ", 0, PascalString("Finder 1.0")}})},
      {desktop + " DB", "BTFLDMGR", ForkChoice::kData, std::vector<std::uint8_t>(dbNode.begin(), dbNode.end())},
      {desktop + " DF", "DTFLDMGR", ForkChoice::kData, std::vector<std::uint8_t>(512, 0)},
      {"Icon", "        ", ForkChoice::kResource, BuildResourceFile(CartridgeIconFamily())},
  };
}

namespace {

std::vector<std::uint8_t> PascalString(const std::string& text) {
  std::vector<std::uint8_t> out(text.size() + 1);
  out[0] = static_cast<std::uint8_t>(text.size());
  std::copy(text.begin(), text.end(), out.begin() + 1);
  return out;
}

}  // namespace

}  // namespace tarvo
