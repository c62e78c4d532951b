// tarvo-cli run on one image from a scratch folder: drive 0 chosen with
// /A00, the PC directory "pc" and the temporary folder in the scratch
// folder; and the text searches the tests of its output make.
#pragma once

#include <string>
#include <vector>

#include "support/cli_process.h"
#include "support/scratch_files.h"

namespace tarvo::testing {

struct ImageCli {
  // Makes `dir`/pc, the PC directory.
  ImageCli(const ScratchDir& dir, const std::string& image);

  // The run with these arguments after the drive, `suffix` (",ro", ...)
  // after the image path.
  CliRun Args(const std::vector<std::string>& args, const std::string& input = "",
              const std::string& suffix = "") const;
  // Runs it and expects it to end cleanly.
  CliResult Run(const std::vector<std::string>& args, const std::string& input = "",
                const std::string& suffix = "") const;
  // The volume check, read-only, finds no problems.
  void ExpectClean() const;

  std::string image, workDir, tempDir;
  std::vector<std::string> env;
  bool pickDrive = true;
};

bool Contains(const std::string& text, const std::string& part);
int CountOf(const std::string& text, const std::string& part);

}  // namespace tarvo::testing
