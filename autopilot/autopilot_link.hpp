// The link to the vehicle's autopilot: every picture's pose as one message, and a HEARTBEAT
// once a second from a thread of its own, so the autopilot sees the vision component alive
// also while no picture comes.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "framer.hpp"
#include "messages.hpp"
#include "pose_messages.hpp"
#include "udp_target.hpp"

namespace Orvanta::autopilot {

struct LinkSettings {
  UdpTarget target;
  std::uint8_t system = 1;  // the vehicle's: a companion component shares its system id
  std::uint8_t component = mavlink::kComponentVisualOdometry;
  MessageChoice message = MessageChoice::odometry;
  double headingDegrees = 0;  // of the landmark layout
  vehicle::Mounting mounting;
};

class AutopilotLink {
 public:
  // Nothing when the target cannot be resolved; *error then says why.
  static std::unique_ptr<AutopilotLink> open(const LinkSettings& settings, std::string* error);
  ~AutopilotLink();
  AutopilotLink(const AutopilotLink&) = delete;
  AutopilotLink& operator=(const AutopilotLink&) = delete;

  // One picture's pose (valid or not), taken `seconds` into its source's time.
  void send(const pose::CameraPose& pose, double seconds);

  struct Counts {
    long sent = 0;    // datagrams, heartbeats included
    long failed = 0;  // could not be sent
    bool lastFailed = false;
  };
  Counts counts() const;
  const UdpTarget& target() const { return settings_.target; }

 private:
  explicit AutopilotLink(const LinkSettings& settings);
  void transmit(const mavlink::MessageKind& kind, std::vector<std::uint8_t> payload);
  void beat();

  LinkSettings settings_;
  UdpSender sender_;
  PoseMessages poses_;
  mutable std::mutex mutex_;  // the framer's sequence and the counts, between the two threads
  mavlink::Framer framer_;
  Counts counts_;
  std::condition_variable wake_;
  bool stopping_ = false;
  std::thread heartbeat_;
};

}  // namespace Orvanta::autopilot
