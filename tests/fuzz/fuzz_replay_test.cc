// Every seed of the fuzz corpus and every input the fuzzers once failed on
// (tests/data/fuzz/TARGET/), fed through the fuzz targets' own code: each
// must end cleanly, also under the sanitizers.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>
#include <string>
#include <vector>

#include "fuzz_targets.h"

namespace tarvo::fuzz {
namespace {

struct Target {
  const char* name;
  int (*run)(const std::uint8_t* data, std::size_t size);
};

const Target kTargets[] = {
    {"partition_map_fuzz", FuzzPartitionMap},     {"volume_fuzz", FuzzVolume},
    {"rescue_node_fuzz", FuzzRescueNode},         {"macbinary_fuzz", FuzzMacBinary},
    {"type_creator_fuzz", FuzzTypeCreator},       {"startup_options_fuzz", FuzzStartupOptions},
    {"command_parser_fuzz", FuzzCommandParser},
};

// Test names and messages show the target's name.
void PrintTo(const Target& target, std::ostream* out) { *out << target.name; }

std::vector<std::filesystem::path> InputsIn(const std::filesystem::path& folder) {
  std::vector<std::filesystem::path> inputs;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
    if (entry.is_regular_file()) inputs.push_back(entry.path());
  }
  return inputs;
}

int Replay(const Target& target, const std::filesystem::path& input) {
  std::ifstream in(input, std::ios::binary);
  const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  return target.run(bytes.data(), bytes.size());
}

class FuzzReplay : public ::testing::TestWithParam<Target> {};

TEST_P(FuzzReplay, SeedsEndCleanly) {
  const std::vector<std::filesystem::path> seeds = InputsIn(std::filesystem::path(TARVO_SOURCE_DIR) / "fuzz/corpus" /
                                                            GetParam().name);
  EXPECT_FALSE(seeds.empty());
  for (const std::filesystem::path& seed : seeds) {
    SCOPED_TRACE(seed.string());
    EXPECT_EQ(Replay(GetParam(), seed), 0);
  }
}

TEST_P(FuzzReplay, FoundInputsEndCleanly) {
  for (const std::filesystem::path& input :
       InputsIn(std::filesystem::path(TARVO_SOURCE_DIR) / "tests/data/fuzz" / GetParam().name)) {
    SCOPED_TRACE(input.string());
    EXPECT_EQ(Replay(GetParam(), input), 0);
  }
}

TEST(FuzzTargets, EmptyAndTinyInputsEndCleanly) {
  const std::uint8_t bytes[] = {0, 0x42, 0x44, 0xFF};
  for (const Target& target : kTargets) {
    SCOPED_TRACE(target.name);
    for (std::size_t size = 0; size <= sizeof bytes; ++size) EXPECT_EQ(target.run(bytes, size), 0);
  }
}

INSTANTIATE_TEST_SUITE_P(Targets, FuzzReplay, ::testing::ValuesIn(kTargets),
                         [](const ::testing::TestParamInfo<Target>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tarvo::fuzz
