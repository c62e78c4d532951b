#include "support/cli_image.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace tarvo::testing {

ImageCli::ImageCli(const ScratchDir& dir, const std::string& image)
    : image(image), workDir(dir.Path("pc")), tempDir(dir.Path("")) {
  std::filesystem::create_directories(workDir);
}

CliRun ImageCli::Args(const std::vector<std::string>& args, const std::string& input,
                      const std::string& suffix) const {
  CliRun run;
  run.args = {"--image", image + suffix};
  if (pickDrive) run.args.push_back("/A00");
  run.args.insert(run.args.end(), args.begin(), args.end());
  run.input = input;
  run.tempDir = tempDir;
  run.workDir = workDir;
  run.env = env;
  return run;
}

CliResult ImageCli::Run(const std::vector<std::string>& args, const std::string& input,
                        const std::string& suffix) const {
  CliResult result = RunTarvoCli(Args(args, input, suffix));
  EXPECT_TRUE(result.EndedCleanly()) << result.err;
  return result;
}

void ImageCli::ExpectClean() const {
  const CliResult check = Run({"--check"}, "", ",ro");
  EXPECT_EQ(check.exitCode, 0);
  EXPECT_EQ(check.out, "Volume check: no problems found.\n");
}

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

int CountOf(const std::string& text, const std::string& part) {
  int n = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

}  // namespace tarvo::testing
