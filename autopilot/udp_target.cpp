#include "udp_target.hpp"

#include <netdb.h>
#include <sys/socket.h>
#include <unistd.h>

#include <charconv>

namespace Orvanta::autopilot {

namespace {

constexpr const char* kScheme = "udp:";

// HOST and PORT of "HOST:PORT", the host unbracketed.
bool split(const std::string& rest, std::string& host, std::string& port) {
  const std::size_t colon = rest.rfind(':');
  if (colon == std::string::npos) return false;
  host = rest.substr(0, colon);
  port = rest.substr(colon + 1);
  if (host.size() >= 2 && host.front() == '[' && host.back() == ']')
    host = host.substr(1, host.size() - 2);
  else if (host.find(':') != std::string::npos)
    return false;  // an IPv6 address goes in brackets
  return !host.empty();
}

}  // namespace

std::string UdpTarget::text() const {
  const bool v6 = host.find(':') != std::string::npos;
  return kScheme + (v6 ? '[' + host + ']' : host) + ':' + std::to_string(port);
}

std::optional<UdpTarget> parseUdpTarget(const std::string& text, std::string* error) {
  const auto fail = [&](const std::string& why) {
    if (error) *error = "'" + text + "': " + why;
    return std::nullopt;
  };
  if (text.rfind(kScheme, 0) != 0) return fail("give udp:HOST:PORT");
  UdpTarget target;
  std::string port;
  if (!split(text.substr(4), target.host, port)) return fail("give udp:HOST:PORT");
  const auto [end, problem] = std::from_chars(port.data(), port.data() + port.size(), target.port);
  if (problem != std::errc() || end != port.data() + port.size() || target.port < 1 ||
      target.port > 65535)
    return fail("the port must be a number from 1 to 65535");
  return target;
}

UdpSender::~UdpSender() {
  if (socket_ >= 0) close(socket_);
}

bool UdpSender::open(const UdpTarget& target, std::string* error) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_DGRAM;
  addrinfo* found = nullptr;
  const std::string port = std::to_string(target.port);
  if (const int code = getaddrinfo(target.host.c_str(), port.c_str(), &hints, &found)) {
    if (error) *error = target.text() + ": " + gai_strerror(code);
    return false;
  }
  for (const addrinfo* a = found; a && socket_ < 0; a = a->ai_next) {
    socket_ = socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC, a->ai_protocol);
    if (socket_ >= 0 && connect(socket_, a->ai_addr, a->ai_addrlen) != 0) {
      close(socket_);
      socket_ = -1;
    }
  }
  freeaddrinfo(found);
  if (socket_ < 0 && error) *error = target.text() + ": no address of it can be sent to";
  return socket_ >= 0;
}

bool UdpSender::send(const std::vector<std::uint8_t>& datagram) {
  return socket_ >= 0 &&
         ::send(socket_, datagram.data(), datagram.size(), MSG_DONTWAIT | MSG_NOSIGNAL) ==
             static_cast<ssize_t>(datagram.size());
}

}  // namespace Orvanta::autopilot
