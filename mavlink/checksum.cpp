#include "checksum.hpp"

namespace Orvanta::mavlink {

std::uint16_t accumulate(std::span<const std::uint8_t> bytes, std::uint16_t crc) {
  for (const std::uint8_t byte : bytes) {
    std::uint8_t t = byte ^ std::uint8_t(crc & 0xFF);
    t ^= std::uint8_t(t << 4);
    crc = std::uint16_t((crc >> 8) ^ (t << 8) ^ (t << 3) ^ (t >> 4));
  }
  return crc;
}

}  // namespace Orvanta::mavlink
