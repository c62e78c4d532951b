#include "base/big_endian.h"

#include <array>

#include <gtest/gtest.h>

namespace tarvo {
namespace {

TEST(BigEndian, RefusesFieldsOutsideTheBuffer) {
  std::array<std::uint8_t, 4> b{};
  EXPECT_THROW(GetU32(b, 1), std::out_of_range);
  EXPECT_THROW(PutU16(b, 3, 1), std::out_of_range);
  EXPECT_THROW(GetU16(b, ~std::size_t{0}), std::out_of_range);
}

}  // namespace
}  // namespace tarvo
