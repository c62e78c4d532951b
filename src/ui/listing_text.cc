#include "ui/listing_text.h"

#include <cstdio>

#include "base/big_endian.h"
#include "base/charset.h"
#include "hfs/volume_header.h"
#include "ui/context.h"

namespace tarvo {

namespace {

constexpr std::size_t kHeaderColumn = 40;
constexpr std::size_t kNameWidth = 32;

std::string PadTo(std::string text, std::size_t width) {
  if (text.size() < width) text.resize(width, ' ');
  return text;
}

}  // namespace

SpaceFigures HeaderSpace(const Context& ctx) {
  const auto& mdbBytes = ctx.volume.mdb;
  const std::uint64_t blockSize = ctx.volume.allocBlockSize;
  const std::uint64_t blocks = GetU16(mdbBytes, mdb::drNmAlBlks);
  const std::uint64_t freeBlocks = GetU16(mdbBytes, mdb::drFreeBks);
  const std::uint64_t trees = GetU32(mdbBytes, mdb::drCTFlSize) + std::uint64_t{GetU32(mdbBytes, mdb::drXTFlSize)};
  const std::uint64_t usedBytes = blocks > freeBlocks ? (blocks - freeBlocks) * blockSize : 0;
  return {freeBlocks * blockSize / 1024 + 1, usedBytes > trees ? (usedBytes - trees) / 1024 : 0};
}

std::string MacTextForDisplay(const std::string& mac) {
  std::string text;
  for (unsigned char c : mac) text.push_back(c < 0x20 ? '.' : static_cast<char>(MacToAnsi[c]));
  return text;
}

std::optional<HeaderTexts> HeaderLines(const Context& ctx) {
  if (ctx.volume.targetId == kNoDevice || ctx.volume.volumeOrigin <= 0) return std::nullopt;
  const SpaceFigures space = HeaderSpace(ctx);
  char freeText[32], usedText[32];
  std::snprintf(freeText, sizeof freeText, "%8llu", static_cast<unsigned long long>(space.freeKb));
  std::snprintf(usedText, sizeof usedText, "%8llu", static_cast<unsigned long long>(space.usedKb));
  return HeaderTexts{ctx.messages[kMsgKbFree] + freeText + "k", ctx.messages[kMsgKbUsed] + usedText + "k",
                     ctx.messages[kMsgVolLabel] + MacTextForDisplay(VolumeName(ctx.volume)),
                     ctx.messages[kMsgDirLabel] + MacTextForDisplay(ctx.volume.current.currentDirName)};
}

std::vector<std::string> ListingLines(const Context& ctx) {
  std::vector<std::string> lines;
  const std::optional<HeaderTexts> header = HeaderLines(ctx);
  if (!header) return lines;
  lines.push_back(PadTo(header->freeSpace, kHeaderColumn) + header->usedSpace);
  lines.push_back(PadTo(header->volume, kHeaderColumn) + header->folder);

  const ListingView& view = ctx.listing;
  if (view.count == 0) {
    lines.push_back(ctx.messages[kMsgNoFile]);
    return lines;
  }
  const ListingMode mode = CurrentListingMode(ctx.settings.modeFlags);
  for (std::uint16_t i = 0; i < view.count; ++i) {
    const ListingEntry& row = view.rows[i];
    std::string line = PadTo(MacTextForDisplay(row.name), kNameWidth) + " " + DataText(row);
    if (mode != ListingMode::kShort) {
      for (const std::string& column : {ResourceText(row), DateText(row.created)}) line.append(" ").append(column);
      line.append(" ").append(mode == ListingMode::kExtended ? DateText(row.modified)
                                                             : MacTextForDisplay(SignatureText(row)));
    }
    lines.push_back(line);
  }
  return lines;
}

}  // namespace tarvo
