#include "autopilot_link.hpp"

#include <chrono>
#include <cmath>

namespace Orvanta::autopilot {

std::unique_ptr<AutopilotLink> AutopilotLink::open(const LinkSettings& settings,
                                                   std::string* error) {
  std::unique_ptr<AutopilotLink> link(new AutopilotLink(settings));
  if (!link->sender_.open(settings.target, error)) return nullptr;
  link->heartbeat_ = std::thread([raw = link.get()] { raw->beat(); });
  return link;
}

AutopilotLink::AutopilotLink(const LinkSettings& settings)
    : settings_(settings),
      poses_(settings.headingDegrees, settings.mounting, settings.message),
      framer_(settings.system, settings.component) {}

AutopilotLink::~AutopilotLink() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  if (heartbeat_.joinable()) heartbeat_.join();
}

void AutopilotLink::send(const pose::CameraPose& pose, double seconds) {
  const auto timeUsec = std::uint64_t(std::llround(std::max(0.0, seconds) * 1e6));
  if (std::optional<Message> message = poses_.next(pose, timeUsec))
    transmit(message->kind, std::move(message->payload));
}

AutopilotLink::Counts AutopilotLink::counts() const {
  std::lock_guard lock(mutex_);
  return counts_;
}

void AutopilotLink::transmit(const mavlink::MessageKind& kind, std::vector<std::uint8_t> payload) {
  std::lock_guard lock(mutex_);
  const bool sent = sender_.send(framer_.frame(kind, std::move(payload)));
  ++(sent ? counts_.sent : counts_.failed);
  counts_.lastFailed = !sent;
}

void AutopilotLink::beat() {
  const std::vector<std::uint8_t> payload = mavlink::payloadOf(mavlink::Heartbeat{});
  auto due = std::chrono::steady_clock::now();
  for (;;) {
    transmit(mavlink::kHeartbeat, payload);
    due += std::chrono::seconds(1);
    std::unique_lock lock(mutex_);
    if (wake_.wait_until(lock, due, [this] { return stopping_; })) return;
  }
}

}  // namespace Orvanta::autopilot
