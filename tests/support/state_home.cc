// The test process's state folder: XDG_STATE_HOME points into a scratch
// folder for the whole run, so that the update journals of every test (and
// of every tarvo-cli a test starts) stay out of the user's ~/.local/state
// and go with the run.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "support/scratch_files.h"

namespace tarvo::testing {

namespace {

class StateHome : public ::testing::Environment {
 public:
  void SetUp() override {
    dir_ = std::make_unique<ScratchDir>();
    ::setenv("XDG_STATE_HOME", dir_->Path("state").c_str(), 1);
  }
  void TearDown() override {
    ::unsetenv("XDG_STATE_HOME");
    dir_.reset();
  }

 private:
  std::unique_ptr<ScratchDir> dir_;
};

[[maybe_unused]] ::testing::Environment* const kStateHome = ::testing::AddGlobalTestEnvironment(new StateHome);

}  // namespace

}  // namespace tarvo::testing
