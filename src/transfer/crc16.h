// The 16-bit CRC that MacBinary II and BinHex 4.0 carry: CCITT polynomial
// 0x1021, initial value 0, no reflection, no final XOR (CRC-16/XMODEM).
#pragma once

#include <cstdint>

#include "base/big_endian.h"

namespace tarvo {

// The CRC of bytes, continued from crc (0 to start).
std::uint16_t Crc16(ConstBytes bytes, std::uint16_t crc = 0);

}  // namespace tarvo
