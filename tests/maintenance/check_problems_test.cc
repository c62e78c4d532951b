#include "maintenance/check_problems.h"

#include <gtest/gtest.h>

namespace tarvo {
namespace {

unsigned Concerns(Problem code, const std::string& tree = "") {
  std::vector<Finding> findings;
  Report(findings, code, {.tree = tree});
  return ProblemStructures(findings.front());
}

TEST(CheckProblemsTest, EachFindingConcernsTheStructuresAWriteCouldHarm) {
  EXPECT_EQ(Concerns(Problem::kNodeEmpty, "catalog"), kCatalogTree);
  EXPECT_EQ(Concerns(Problem::kLeafChainLoop, "extents"), kExtentsTree);
  EXPECT_EQ(Concerns(Problem::kValenceWrong), kCatalogTree);
  EXPECT_EQ(Concerns(Problem::kOverflowOrphan), kExtentsTree);
  EXPECT_EQ(Concerns(Problem::kBlocksUsedButFree), kAllocation);
  EXPECT_EQ(Concerns(Problem::kVolumePastMedium), kAllocation);
  EXPECT_EQ(Concerns(Problem::kExtentsOverlap), kRelease);
  EXPECT_EQ(Concerns(Problem::kNextIdTooLow), kVolumeHeader);
  // Counters nothing reads, a free count allocation does not follow, and
  // blocks never handed out.
  for (Problem harmless : {Problem::kFileCountWrong, Problem::kFolderCountWrong, Problem::kRootFileCountWrong,
                           Problem::kRootFolderCountWrong, Problem::kFreeCountWrong, Problem::kBlocksLost}) {
    EXPECT_EQ(Concerns(harmless), 0u) << ProblemPattern(harmless);
  }
}

}  // namespace
}  // namespace tarvo
