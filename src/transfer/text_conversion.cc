#include "transfer/text_conversion.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "base/utf8.h"

namespace tarvo {

namespace {

constexpr char kCr = '\r', kLf = '\n';
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// Every CR, LF and CR LF of the text becomes `to`; `afterCr` tells whether
// the text before ended in CR, and afterwards whether this one does.
std::string ConvertLineEnds(std::string_view text, char to, bool& afterCr) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    if (c != kLf || !afterCr) out.push_back(c == kCr || c == kLf ? to : c);
    afterCr = c == kCr;
  }
  return out;
}

bool Write(std::FILE* out, std::string_view text) {
  return std::fwrite(text.data(), 1, text.size(), out) == text.size();
}

// Where UTF-8 text may be cut without splitting a character or parting a
// letter from its combining marks (U+0300 to U+036F, led by CC or CD):
// before the last character that is no such mark.
std::size_t SafeCut(std::string_view text) {
  for (std::size_t i = text.size(); i-- > 1;) {
    const auto b = static_cast<std::uint8_t>(text[i]);
    if ((b & 0xC0) != 0x80 && b != 0xCC && b != 0xCD) return i;
  }
  return text.size();
}

// Hands the file, from its start, to `take` in pieces cut where SafeCut
// says (the last at the end) until `take` returns false. False when a read
// failed.
bool ForEachPiece(std::FILE* in, const std::function<bool(std::string_view)>& take) {
  std::rewind(in);
  std::string chunk(kTextChunkBytes, '\0');
  std::string text;
  for (;;) {
    const std::size_t n = std::fread(chunk.data(), 1, chunk.size(), in);
    const bool end = n < chunk.size();
    if (end && std::ferror(in) != 0) return false;
    text.append(chunk.data(), n);
    const std::size_t cut = end ? text.size() : SafeCut(text);
    if (!take(std::string_view(text).substr(0, cut)) || end) return true;
    text.erase(0, cut);
  }
}

}  // namespace

bool MacTextToPcText(std::FILE* in, std::FILE* out) {
  std::rewind(in);
  std::string chunk(kTextChunkBytes, '\0');
  bool afterCr = false;
  for (;;) {
    const std::size_t n = std::fread(chunk.data(), 1, chunk.size(), in);
    if (!Write(out, MacRomanToUtf8(ConvertLineEnds({chunk.data(), n}, kLf, afterCr)))) return false;
    if (n < chunk.size()) return std::ferror(in) == 0;
  }
}

PcText PcTextToMacText(std::FILE* in, std::FILE* out) {
  bool text = true;
  const bool read = ForEachPiece(in, [&text](std::string_view piece) {
    text = piece.find('\0') == std::string_view::npos && IsUtf8(piece);
    return text;
  });
  if (!read) return PcText::kFailed;
  if (!text) return PcText::kNotText;
  bool first = true, afterCr = false, written = true;
  const bool converted = ForEachPiece(in, [&](std::string_view piece) {
    if (first && piece.starts_with(kByteOrderMark)) piece.remove_prefix(kByteOrderMark.size());
    first = false;
    written = Write(out, Utf8ToMacRoman(ConvertLineEnds(piece, kCr, afterCr)));
    return written;
  });
  return converted && written ? PcText::kConverted : PcText::kFailed;
}

}  // namespace tarvo
