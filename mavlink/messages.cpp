#include "messages.hpp"

#include <bit>
#include <cstring>
#include <span>

namespace Orvanta::mavlink {

namespace {

constexpr std::uint8_t kMavlinkVersion = 3;  // HEARTBEAT's mavlink_version

// Appends values little-endian, as MAVLink sends them.
class Payload {
 public:
  template <class T>
  Payload& put(T value) {
    static_assert(std::endian::native == std::endian::little, "a little-endian host");
    std::uint8_t bytes[sizeof(T)];
    std::memcpy(bytes, &value, sizeof(T));
    data_.insert(data_.end(), bytes, bytes + sizeof(T));
    return *this;
  }
  template <class T, std::size_t N>
  Payload& put(const std::array<T, N>& values) {
    for (const T& value : values) put(value);
    return *this;
  }
  std::vector<std::uint8_t> bytes() { return std::move(data_); }

 private:
  std::vector<std::uint8_t> data_;
};

}  // namespace

std::vector<std::uint8_t> payloadOf(const Heartbeat& m) {
  return Payload()
      .put(m.customMode)
      .put(m.type)
      .put(m.autopilot)
      .put(m.baseMode)
      .put(m.systemStatus)
      .put(kMavlinkVersion)
      .bytes();
}

std::vector<std::uint8_t> payloadOf(const Odometry& m) {
  return Payload()
      .put(m.timeUsec)
      .put(m.position)
      .put(m.quaternion)
      .put(m.velocity)
      .put(m.angularSpeed)
      .put(m.poseCovariance)
      .put(m.velocityCovariance)
      .put(m.frameId)
      .put(m.childFrameId)
      .put(m.resetCounter)
      .put(m.estimatorType)
      .put(m.quality)
      .bytes();
}

std::vector<std::uint8_t> payloadOf(const VisionPositionEstimate& m) {
  return Payload()
      .put(m.usec)
      .put(m.position)
      .put(m.roll)
      .put(m.pitch)
      .put(m.yaw)
      .put(m.covariance)
      .put(m.resetCounter)
      .bytes();
}

}  // namespace Orvanta::mavlink
