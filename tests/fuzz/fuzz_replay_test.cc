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
    {"command_parser_fuzz", FuzzCommandParser},   {"binhex_fuzz", FuzzBinHex},
};

class FuzzReplay : public ::testing::TestWithParam<Target> {};

void PrintTo(const Target& target, std::ostream* out) { *out << target.name; }

TEST_P(FuzzReplay, SeedsAndFoundInputsEndCleanly) {
  const std::filesystem::path source(TARVO_SOURCE_DIR);
  const std::string name = GetParam().name;
  for (const std::filesystem::path& folder : {source / "fuzz/corpus" / name, source / "tests/data/fuzz" / name}) {
    std::size_t inputs = 0;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
      if (!entry.is_regular_file()) continue;
      SCOPED_TRACE(entry.path().string());
      std::ifstream in(entry.path(), std::ios::binary);
      const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
      EXPECT_EQ(GetParam().run(bytes.data(), bytes.size()), 0);
      ++inputs;
    }
    EXPECT_TRUE(inputs > 0 || folder.parent_path().filename() != "corpus") << folder;
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
