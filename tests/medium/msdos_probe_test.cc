#include "medium/msdos_probe.h"

#include <gtest/gtest.h>

#include "support/medium_context.h"

namespace tarvo {
namespace {

std::vector<std::uint8_t> BootSector(std::uint8_t first, std::uint8_t byte29, bool marked, std::size_t size = 4096) {
  std::vector<std::uint8_t> bytes(size, 0);
  bytes[0] = first;
  bytes[29] = byte29;
  if (marked) bytes[510] = 0x55, bytes[511] = 0xAA;
  return bytes;
}

TEST(MsDosProbe, RecognisesBootSectors) {
  testing::MediumContext m;
  m.Insert(BootSector(0xEB, 3, true));
  EXPECT_EQ(MsDosProbe(m.ctx), -3);
  m.Insert(BootSector(0xEB, 0, true));  // still MS-DOS
  EXPECT_EQ(MsDosProbe(m.ctx), -1);
  m.Insert(BootSector(0xFA, 0, true));
  EXPECT_EQ(MsDosProbe(m.ctx), -2);
  m.Insert(BootSector(0xEB, 3, false));
  EXPECT_EQ(MsDosProbe(m.ctx), 0);
  m.Insert(BootSector(0xEB, 7, true), 1024);  // one physical sector of 1024 bytes
  EXPECT_EQ(MsDosProbe(m.ctx), -7);
  m.Insert(BootSector(0xEB, 3, true));
  m.faults->unreadableSectors = {0};  // an unreadable medium is no MS-DOS medium
  EXPECT_EQ(MsDosProbe(m.ctx), 0);
}

}  // namespace
}  // namespace tarvo
