// The messages the program sends, with the values the definitions give them, and their
// payloads in wire order: the base fields by falling size, then the extensions as declared,
// little-endian.
#pragma once

#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

#include "framer.hpp"

namespace Orvanta::mavlink {

inline constexpr MessageKind kHeartbeat{0, 50};
inline constexpr MessageKind kVisionPositionEstimate{102, 158};
inline constexpr MessageKind kOdometry{331, 91};

// Values of the definitions' enums that the program uses.
inline constexpr std::uint8_t kFrameLocalNed = 1, kFrameBodyFrd = 12, kFrameLocalFrd = 20;
inline constexpr std::uint8_t kEstimatorVision = 2;
inline constexpr std::uint8_t kTypeOnboardController = 18, kAutopilotInvalid = 8;
inline constexpr std::uint8_t kStateActive = 4;
inline constexpr std::uint8_t kComponentVisualOdometry = 197;

// A 6x6 covariance's upper right triangle, row by row (x, y, z, roll, pitch, yaw); NaN first:
// unknown.
using Covariance = std::array<float, 21>;

struct Heartbeat {
  std::uint8_t type = kTypeOnboardController;
  std::uint8_t autopilot = kAutopilotInvalid;
  std::uint8_t baseMode = 0;
  std::uint32_t customMode = 0;
  std::uint8_t systemStatus = kStateActive;
};

struct Odometry {
  std::uint64_t timeUsec = 0;
  std::uint8_t frameId = kFrameLocalFrd;
  std::uint8_t childFrameId = kFrameBodyFrd;
  std::array<float, 3> position{};                   // metres
  std::array<float, 4> quaternion{1, 0, 0, 0};       // w, x, y, z
  std::array<float, 3> velocity{NAN, NAN, NAN};      // m/s
  std::array<float, 3> angularSpeed{NAN, NAN, NAN};  // rad/s: roll, pitch, yaw
  Covariance poseCovariance{NAN};
  Covariance velocityCovariance{NAN};
  std::uint8_t resetCounter = 0;
  std::uint8_t estimatorType = kEstimatorVision;
  std::int8_t quality = 0;  // -1 failed, 0 unknown, 1 worst .. 100 best
};

struct VisionPositionEstimate {
  std::uint64_t usec = 0;
  std::array<float, 3> position{};     // metres
  float roll = 0, pitch = 0, yaw = 0;  // radians
  Covariance covariance{NAN};
  std::uint8_t resetCounter = 0;
};

std::vector<std::uint8_t> payloadOf(const Heartbeat& message);
std::vector<std::uint8_t> payloadOf(const Odometry& message);
std::vector<std::uint8_t> payloadOf(const VisionPositionEstimate& message);

}  // namespace Orvanta::mavlink
