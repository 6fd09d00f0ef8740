// The autopilot link's own decisions: which addresses it takes, what goes out without a pose,
// and when the reset counter counts a jump. (What the messages hold, field by field, an
// independent decoder checks: tests/mavlink_decoder.)
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <opencv2/calib3d.hpp>

#include "messages.hpp"
#include "pose_messages.hpp"
#include "rotation.hpp"
#include "udp_target.hpp"

using namespace Orvanta;

namespace {

// ODOMETRY's payload: x at byte 8, reset_counter at 230, quality at 232.
float odometryX(const std::vector<std::uint8_t>& payload) {
  float x;
  std::memcpy(&x, payload.data() + 8, sizeof x);
  return x;
}

pose::CameraPose posed(const cv::Vec3d& position, double turnDeg) {
  pose::CameraPose p;
  p.valid = true;
  p.position = position;
  cv::Matx33d turn;
  cv::Rodrigues(cv::Vec3d(0, 0, turnDeg * CV_PI / 180), turn);
  p.quaternion = pose::quaternionOf(turn * cv::Matx33d(1, 0, 0, 0, -1, 0, 0, 0, -1));
  p.covariance = pose::PoseCovariance::eye() * 1e-6;
  return p;
}

}  // namespace

TEST(UdpTarget, TakesHostAndPortOnly) {
  struct Case {
    const char* text;
    const char* host;  // nullptr: refused
    int port;
  };
  const Case cases[] = {
      {"udp:127.0.0.1:14550", "127.0.0.1", 14550},
      {"udp:[::1]:14550", "::1", 14550},
      {"udp:blueos.local:1", "blueos.local", 1},
      {"udp:host:0", nullptr, 0},
      {"udp:host:65536", nullptr, 0},
      {"udp:host:14550x", nullptr, 0},
      {"udp:host", nullptr, 0},
      {"udp::14550", nullptr, 0},
      {"udp:::1:14550", nullptr, 0},  // IPv6 without brackets
      {"tcp:host:14550", nullptr, 0},
  };
  for (const Case& c : cases) {
    std::string error;
    const auto target = autopilot::parseUdpTarget(c.text, &error);
    ASSERT_EQ(target.has_value(), c.host != nullptr) << c.text << ": " << error;
    if (!target) continue;
    EXPECT_EQ(target->host, c.host);
    EXPECT_EQ(target->port, c.port);
    EXPECT_EQ(target->text(), c.text);
  }
}

TEST(PoseMessages, NoPoseAndJumps) {
  // A pose, a small move, none, a jump across the tank, a sudden half turn.
  const std::vector<pose::CameraPose> poses = {
      posed({0.3, -0.2, 1.5}, 0), posed({0.32, -0.2, 1.5}, 2), pose::CameraPose{},
      posed({0.9, 0.2, 1.5}, 2), posed({0.9, 0.2, 1.5}, 32)};
  const int resets[] = {0, 0, 0, 1, 2};
  autopilot::PoseMessages odometry(0, {}, autopilot::MessageChoice::odometry);
  autopilot::PoseMessages estimates(0, {}, autopilot::MessageChoice::visionPositionEstimate);
  for (std::size_t k = 0; k < poses.size(); ++k) {
    const auto o = odometry.next(poses[k], 1000 * k);
    ASSERT_TRUE(o) << k;
    EXPECT_EQ(o->kind.id, mavlink::kOdometry.id);
    EXPECT_EQ(o->payload.at(230), resets[k]) << k;
    const auto quality = std::int8_t(o->payload.at(232));
    const auto e = estimates.next(poses[k], 1000 * k);
    if (!poses[k].valid) {
      // ODOMETRY says it failed, with no position to mistake for one; the estimate says nothing.
      EXPECT_EQ(quality, -1);
      EXPECT_TRUE(std::isnan(odometryX(o->payload)));
      EXPECT_FALSE(e);
      continue;
    }
    EXPECT_GE(quality, 1) << k;
    EXPECT_FLOAT_EQ(odometryX(o->payload), float(poses[k].position[0])) << k;
    ASSERT_TRUE(e) << k;
    EXPECT_EQ(e->kind.id, mavlink::kVisionPositionEstimate.id);
  }
}
