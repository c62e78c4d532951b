// A Macintosh file as a reader (pc_file_readers.h) finds it in a PC file:
// where its two forks lie in a stream, and its Finder information. The
// fork writer (write_file.h) puts it on the volume as it is.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

namespace tarvo {

struct ClosePcFile {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
// A temporary stream a reader made (an unpacked or converted file).
using HeldPcFile = std::unique_ptr<std::FILE, ClosePcFile>;

// Bytes [offset, offset + length) of the stream.
struct ForkSpan {
  std::uint64_t offset = 0;
  std::uint64_t length = 0;
};

struct MacFileSource {
  std::FILE* stream = nullptr;  // the forks' bytes: the PC file, or `held`
  HeldPcFile held;
  std::string name;     // Mac Roman, at most 31 characters: the name the file gets
  std::string type;     // 4 characters
  std::string creator;  // 4 characters
  std::uint16_t finderFlags = 0;
  std::uint32_t created = 0;  // Macintosh dates
  std::uint32_t modified = 0;
  ForkSpan data;
  ForkSpan resource;
};

}  // namespace tarvo
