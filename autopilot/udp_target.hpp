// Where the autopilot listens: "udp:HOST:PORT" (a name, an IPv4 address, or an IPv6 address in
// brackets), and a socket that sends datagrams there without ever waiting.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace Orvanta::autopilot {

struct UdpTarget {
  std::string host;
  int port = 0;
  std::string text() const;  // as given: "udp:HOST:PORT"
};

// Nothing when text is not of that form; then *error says why.
std::optional<UdpTarget> parseUdpTarget(const std::string& text, std::string* error);

class UdpSender {
 public:
  UdpSender() = default;
  ~UdpSender();
  UdpSender(const UdpSender&) = delete;
  UdpSender& operator=(const UdpSender&) = delete;

  // Resolves the host; false with the reason in *error when it cannot.
  bool open(const UdpTarget& target, std::string* error);
  // False when the datagram could not be sent now (nothing listening, a full buffer, no route):
  // it is dropped, as a late pose is of no use.
  bool send(const std::vector<std::uint8_t>& datagram);

 private:
  int socket_ = -1;
};

}  // namespace Orvanta::autopilot
