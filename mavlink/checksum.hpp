// The checksum of MAVLink frames: CRC-16/MCRF4XX (the X.25 polynomial 0x1021 reflected, start
// 0xFFFF, no final XOR), accumulated byte by byte.
#pragma once

#include <cstdint>
#include <span>

namespace Orvanta::mavlink {

std::uint16_t accumulate(std::span<const std::uint8_t> bytes, std::uint16_t crc = 0xFFFF);

}  // namespace Orvanta::mavlink
