#include "base/big_endian.h"

#include <array>

#include <gtest/gtest.h>

namespace tarvo {
namespace {

TEST(BigEndian, ReadsWritesAndWrapsInPlace) {
  std::array<std::uint8_t, 8> b{0x42, 0x44, 0x00, 0x01, 0xFF, 0xFF, 0xFF, 0xFF};
  EXPECT_EQ(GetU16(b, 0), 0x4244);
  EXPECT_EQ(GetU32(b, 2), 0x0001FFFFu);
  IncrementU32(b, 4);
  EXPECT_EQ(GetU32(b, 4), 0u);
  DecrementU16(b, 2);
  EXPECT_EQ(GetU16(b, 2), 0);
  PutU32(b, 0, 0x01020304);
  EXPECT_EQ(b[0], 1);
  EXPECT_EQ(b[3], 4);
}

TEST(BigEndian, RefusesFieldsOutsideTheBuffer) {
  std::array<std::uint8_t, 4> b{};
  EXPECT_THROW(GetU32(b, 1), std::out_of_range);
  EXPECT_THROW(PutU16(b, 3, 1), std::out_of_range);
  EXPECT_THROW(GetU16(b, ~std::size_t{0}), std::out_of_range);
}

}  // namespace
}  // namespace tarvo
