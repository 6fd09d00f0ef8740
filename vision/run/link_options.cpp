#include "link_options.hpp"

#include <CLI/CLI.hpp>

namespace Orvanta {

namespace {

constexpr const char* kVisionPositionEstimate = "vision-position-estimate";

std::string checkTarget(const std::string& text) {
  std::string error;
  return autopilot::parseUdpTarget(text, &error) ? "" : error;
}

}  // namespace

void addLinkOptions(CLI::App& app, LinkOptions& options) {
  auto* target =
      app.add_option("--mavlink", options.target,
                     "Send every pose to the vehicle's autopilot as MAVLink 2 over UDP, e.g. "
                     "udp:192.168.2.1:14550 (IPv6 in brackets), with a HEARTBEAT once a second")
          ->check(checkTarget, "udp:HOST:PORT");
  app.add_option(
         "--mavlink-message", options.message,
         "odometry: ODOMETRY, with the quality, and quality -1 when there is no pose; "
         "vision-position-estimate: VISION_POSITION_ESTIMATE, nothing when there is no pose")
      ->check(CLI::IsMember({"odometry", kVisionPositionEstimate}))
      ->capture_default_str()
      ->needs(target);
  app.add_option("--mavlink-system", options.system, "MAVLink system id: the vehicle's")
      ->check(CLI::Range(1, 255))
      ->capture_default_str()
      ->needs(target);
  app.add_option("--mavlink-component", options.component,
                 "MAVLink component id (197: visual odometry)")
      ->check(CLI::Range(1, 255))
      ->capture_default_str()
      ->needs(target);
  app.add_option("--mounting", options.mounting,
                 "The camera on the vehicle: X,Y,Z,ROLL,PITCH,YAW, its centre in the body frame "
                 "(metres forward, right, down from the vehicle's origin) and its turn in degrees "
                 "from looking straight down with the picture's top towards the bow")
      ->delimiter(',')
      ->expected(6)
      ->needs(target);
}

std::optional<autopilot::LinkSettings> linkSettings(const LinkOptions& options,
                                                    double headingDegrees) {
  if (options.target.empty()) return std::nullopt;
  autopilot::LinkSettings settings;
  settings.target = *autopilot::parseUdpTarget(options.target, nullptr);
  settings.system = std::uint8_t(options.system);
  settings.component = std::uint8_t(options.component);
  if (options.message == kVisionPositionEstimate)
    settings.message = autopilot::MessageChoice::visionPositionEstimate;
  settings.headingDegrees = headingDegrees;
  if (const std::vector<double>& m = options.mounting; m.size() == 6)
    settings.mounting = vehicle::mountingOf({m[0], m[1], m[2]}, m[3], m[4], m[5]);
  return settings;
}

}  // namespace Orvanta
