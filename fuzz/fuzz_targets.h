// The fuzz targets: one function per input format, each taking one input
// as libFuzzer hands it over. Every target file (fuzz/*_fuzz.cc) defines
// its function and, in the fuzz build (TARVO_FUZZ_ENTRY), the libFuzzer
// entry point that calls it; the test suite calls the same functions to
// replay the seed corpus and every reproducer found.
//
// A target returns 0. Bad input must end in a clean result, a message or
// FatalExit (an expected end of a run); anything else (a sanitizer report,
// an escaping exception, a work file left behind) is a finding.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tarvo::fuzz {

// Sector 0 and the partition map of a medium, then the volume header there.
int FuzzPartitionMap(const std::uint8_t* data, std::size_t size);
// A medium image: opened, every folder listed and entered, names searched,
// every fork copied, and the volume checked.
int FuzzVolume(const std::uint8_t* data, std::size_t size);
// A catalog leaf node given to the rescue, on a medium that is the input.
int FuzzRescueNode(const std::uint8_t* data, std::size_t size);
// One MacBinary header against a file size.
int FuzzMacBinary(const std::uint8_t* data, std::size_t size);
// A BinHex text decoded.
int FuzzBinHex(const std::uint8_t* data, std::size_t size);
// A TVCREAT.DAT text merged into the table, then looked up.
int FuzzTypeCreator(const std::uint8_t* data, std::size_t size);
// Start-up arguments, separated by NUL bytes.
int FuzzStartupOptions(const std::uint8_t* data, std::size_t size);
// Typed command lines, separated by newlines.
int FuzzCommandParser(const std::uint8_t* data, std::size_t size);

}  // namespace tarvo::fuzz

#ifdef TARVO_FUZZ_ENTRY
#define TARVO_FUZZ_TARGET(function)                                                  \
  extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) { \
    return tarvo::fuzz::function(data, size);                                        \
  }
#else
#define TARVO_FUZZ_TARGET(function)
#endif
