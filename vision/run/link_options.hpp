// The command line's options for the autopilot link, and the link they describe.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "autopilot_link.hpp"

namespace CLI {
class App;
}

namespace Orvanta {

struct LinkOptions {
  std::string target;  // udp:HOST:PORT; empty: no link
  std::string message = "odometry";
  int system = 1;
  int component = mavlink::kComponentVisualOdometry;
  // The camera on the vehicle: x, y, z (metres, body frame forward-right-down), then roll, pitch,
  // yaw (degrees) from looking straight down with the picture's top towards the bow.
  std::vector<double> mounting;
};

void addLinkOptions(CLI::App& app, LinkOptions& options);

// Nothing when no link was asked for.
std::optional<autopilot::LinkSettings> linkSettings(const LinkOptions& options,
                                                    double headingDegrees);

}  // namespace Orvanta
