#include "ui/volume_info.h"

#include <gtest/gtest.h>

namespace tarvo {
namespace {

TEST(VolumeInfoDialog, FieldsKeepTheDialogsOrderAndIds) {
  VolumeInfo info;
  info.volumeSize = 40960000;
  info.mdbOffset = 2;
  info.catalogSectors = 123;
  const std::vector<VolumeInfoField> fields = VolumeInfoFields(info);
  std::vector<int> ids;
  for (const VolumeInfoField& field : fields) ids.push_back(field.id);
  EXPECT_EQ(ids, (std::vector<int>{500, 501, 503, 504, 505, 502, 506, 507, 508, 511, 509, 512, 510}));
  const std::vector<std::string> lines = VolumeInfoLines(info);
  ASSERT_EQ(lines.size(), fields.size());
  EXPECT_EQ(lines.front(), "Volume Size: 40960000");
  EXPECT_EQ(lines[5], "MDB Offset: 2");
  EXPECT_EQ(lines.back(), "Catalog Size (sectors): 123");
}

}  // namespace
}  // namespace tarvo
