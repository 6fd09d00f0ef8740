#include "framer.hpp"

#include <algorithm>
#include <array>

#include "checksum.hpp"

namespace Orvanta::mavlink {

namespace {
constexpr std::uint8_t kStart = 0xFD;  // MAVLink 2
}

std::vector<std::uint8_t> Framer::frame(const MessageKind& kind,
                                        std::vector<std::uint8_t> payload) {
  while (payload.size() > 1 && payload.back() == 0) payload.pop_back();
  const std::array<std::uint8_t, 10> header = {kStart,
                                               std::uint8_t(payload.size()),
                                               0,  // incompatibility flags: unsigned
                                               0,  // compatibility flags
                                               sequence_++,
                                               system_,
                                               component_,
                                               std::uint8_t(kind.id),
                                               std::uint8_t(kind.id >> 8),
                                               std::uint8_t(kind.id >> 16)};
  // Sized once: the checksum's two bytes go last.
  std::vector<std::uint8_t> out(header.size() + payload.size() + 2);
  std::copy(header.begin(), header.end(), out.begin());
  std::copy(payload.begin(), payload.end(), out.begin() + std::ptrdiff_t(header.size()));
  std::uint16_t crc = accumulate(std::span(out).subspan(1, header.size() - 1 + payload.size()));
  crc = accumulate(std::span(&kind.crcExtra, 1), crc);
  out[out.size() - 2] = std::uint8_t(crc & 0xFF);
  out[out.size() - 1] = std::uint8_t(crc >> 8);
  return out;
}

}  // namespace Orvanta::mavlink
