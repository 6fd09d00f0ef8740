// MAVLink 2 frames sent by one component: the header (no flags, no signature), the payload with
// its trailing zero bytes cut (never its first byte), and the checksum over both with the
// message's CRC extra. Each frame takes the next sequence number, 0 after 255.
#pragma once

#include <cstdint>
#include <vector>

namespace Orvanta::mavlink {

// A message as the definitions give it: its id and the CRC extra of its fields.
struct MessageKind {
  std::uint32_t id;
  std::uint8_t crcExtra;
};

class Framer {
 public:
  Framer(std::uint8_t system, std::uint8_t component) : system_(system), component_(component) {}

  // The payload in the message's wire order, all its fields (extensions included).
  std::vector<std::uint8_t> frame(const MessageKind& kind, std::vector<std::uint8_t> payload);

 private:
  std::uint8_t system_, component_;
  std::uint8_t sequence_ = 0;
};

}  // namespace Orvanta::mavlink
