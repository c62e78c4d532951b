// The dump view: the raw bytes of one fork of a file of the current folder,
// read sector by sector through the fork's extents, as lines of an offset,
// sixteen bytes in hexadecimal and the same bytes as characters. This is the
// window's logic; a front end draws `ScreenLines` (line k at text row
// `LineRow(k)`) and sends the menu choices and scroll actions here. What the
// user sees is told in the user help.
//
// Bytes beyond the fork show as zeros, and no screen starts beyond the
// fork's last 512-byte page. Sectors are read whole, from a sector boundary,
// so that they land where their offsets say. Nothing is written from here:
// "File Parameter" shows the attributes read-only. Texts are in the Windows
// character set.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/big_endian.h"
#include "hfs/catalog_record.h"

namespace tarvo {

struct Context;

// The "&Fonts" menu: the character set of the character column.
enum class DumpCharset { kMacintosh = 200, kAnsi = 201, kDos = 202 };
enum class DumpFork { kData = 100, kResource = 101 };

inline constexpr int kDumpLinesPerScreen = 32;
inline constexpr std::size_t kDumpBytesPerLine = 16;

// One line: the offset in 8 digits of the base (10 or 16), the 16 bytes in
// hexadecimal (an extra blank after the eighth), the 16 characters. A zero
// byte shows as a blank in every set (the Macintosh table alone would make
// it '_'), and so does a byte whose converted value is 0.
std::string DumpLine(std::uint32_t offset, ConstBytes bytes, int base, DumpCharset charset);
// The text row of line k of a screen.
inline int LineRow(int k) { return k + k / 8; }

class DumpView {
 public:
  // Finds the file (Macintosh name) in the current folder; `found()` is
  // false when there is none, and the window closes at once.
  DumpView(Context& ctx, std::string_view macName);

  bool found() const { return found_; }
  std::string title() const;

  // "&File".
  void ShowFork(DumpFork fork);
  void FileParameter();
  // "&Fonts" and "&Numeration".
  void SetCharset(DumpCharset charset) { charset_ = charset; }
  void SetBase(int base) { base_ = base == 16 ? 16 : 10; }
  // Scroll bar and keys.
  void LineUp();
  void LineDown();
  void PageUp();
  void PageDown();
  void Thumb(std::uint32_t thumb);
  void Top();
  void Bottom();

  std::vector<std::string> ScreenLines() const;
  // Every line of the fork from offset 0 (a console prints the whole fork).
  std::vector<std::string> AllLines();

  // Fills `out` with whole sectors of the fork from offset on, at most up
  // to the fork's length; returns the offset after the last sector read.
  std::uint32_t ReadForkBytes(Bytes out, std::uint32_t byteCount, std::uint32_t offset);

  DumpFork fork() const { return fork_; }
  bool dataEnabled() const { return GetU32(record_, filrec::filPyLen) != 0; }
  bool resourceEnabled() const { return GetU32(record_, filrec::filRPyLen) != 0; }
  DumpCharset charset() const { return charset_; }
  int base() const { return base_; }
  std::uint32_t length() const { return length_; }
  std::uint32_t position() const { return position_; }
  std::uint32_t scrollUnit() const { return unit_; }
  std::uint32_t scrollRange() const { return range_; }
  std::uint32_t thumb() const { return thumb_; }
  std::uint32_t bufferStart() const { return bufferStart_; }
  std::uint32_t bufferEnd() const { return bufferEnd_; }

 private:
  void Scrolled();
  void CheckBuffer();

  Context& ctx_;
  bool found_ = false;
  std::string name_;  // Macintosh characters
  std::array<std::uint8_t, filrec::kSize> record_{};
  DumpFork fork_ = DumpFork::kData;
  std::uint32_t length_ = 0;
  std::uint32_t position_ = 0;
  std::uint32_t unit_ = 128;
  std::uint32_t range_ = 0;
  std::uint32_t thumb_ = 0;
  std::array<std::uint8_t, 2048> buffer_{};
  std::uint32_t bufferStart_ = 0;
  std::uint32_t bufferEnd_ = 0;
  DumpCharset charset_ = DumpCharset::kMacintosh;
  int base_ = 10;
};

// Menu 114: the dump view on the file, run by the user interface.
void OpenDumpWindow(Context& ctx, std::string_view macName);

}  // namespace tarvo
