// MAVLink 2 frames as the protocol defines them: the checksum, each message's CRC extra derived
// from its fields, the header, the zero-trimmed payload and the fields' places in it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "checksum.hpp"
#include "framer.hpp"
#include "messages.hpp"

using namespace Orvanta::mavlink;

namespace {

struct Field {
  std::string type;  // as the definitions write it, e.g. "float" or "float[21]"
  std::string name;
};

int sizeOf(const std::string& type) {
  const std::string base = type.substr(0, type.find('['));
  if (base == "uint64_t" || base == "int64_t" || base == "double") return 8;
  if (base == "uint32_t" || base == "int32_t" || base == "float") return 4;
  if (base == "uint16_t" || base == "int16_t") return 2;
  return 1;
}

// The protocol's rule: the CRC of the message's name and of each base field's type and name (and
// array length), in wire order, folded to one byte.
std::uint8_t crcExtraOf(const std::string& message, std::vector<Field> fields) {
  std::stable_sort(fields.begin(), fields.end(),
                   [](const Field& a, const Field& b) { return sizeOf(a.type) > sizeOf(b.type); });
  const auto bytes = [](const std::string& text) {
    return std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
  };
  std::uint16_t crc = accumulate(bytes(message + " "));
  for (const Field& field : fields) {
    const std::size_t bracket = field.type.find('[');
    crc = accumulate(bytes(field.type.substr(0, bracket) + " " + field.name + " "), crc);
    if (bracket != std::string::npos) {
      const std::uint8_t length = std::uint8_t(std::stoi(field.type.substr(bracket + 1)));
      crc = accumulate(std::span(&length, 1), crc);
    }
  }
  return std::uint8_t((crc & 0xFF) ^ (crc >> 8));
}

template <class T>
T at(const std::vector<std::uint8_t>& payload, std::size_t offset) {
  T value;
  std::memcpy(&value, payload.data() + offset, sizeof(T));
  return value;
}

}  // namespace

TEST(MavlinkChecksum, TheStandardCheckValue) {
  const std::string text = "123456789";
  EXPECT_EQ(accumulate(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), 9)), 0x6F91);
}

TEST(MavlinkChecksum, EachMessagesCrcExtraFollowsFromItsDefinition) {
  // Base fields only, as declared (extensions do not count).
  const std::vector<Field> odometry = {{"uint64_t", "time_usec"},
                                       {"uint8_t", "frame_id"},
                                       {"uint8_t", "child_frame_id"},
                                       {"float", "x"},
                                       {"float", "y"},
                                       {"float", "z"},
                                       {"float[4]", "q"},
                                       {"float", "vx"},
                                       {"float", "vy"},
                                       {"float", "vz"},
                                       {"float", "rollspeed"},
                                       {"float", "pitchspeed"},
                                       {"float", "yawspeed"},
                                       {"float[21]", "pose_covariance"},
                                       {"float[21]", "velocity_covariance"}};
  const std::vector<Field> vision = {{"uint64_t", "usec"}, {"float", "x"},    {"float", "y"},
                                     {"float", "z"},       {"float", "roll"}, {"float", "pitch"},
                                     {"float", "yaw"}};
  const std::vector<Field> heartbeat = {
      {"uint8_t", "type"},         {"uint8_t", "autopilot"},     {"uint8_t", "base_mode"},
      {"uint32_t", "custom_mode"}, {"uint8_t", "system_status"}, {"uint8_t", "mavlink_version"}};
  EXPECT_EQ(kOdometry.crcExtra, crcExtraOf("ODOMETRY", odometry));
  EXPECT_EQ(kVisionPositionEstimate.crcExtra, crcExtraOf("VISION_POSITION_ESTIMATE", vision));
  EXPECT_EQ(kHeartbeat.crcExtra, crcExtraOf("HEARTBEAT", heartbeat));
}

TEST(MavlinkFrames, HeaderTrimmedPayloadAndChecksum) {
  Odometry lost;
  lost.quality = -1;
  VisionPositionEstimate still;  // covariance unknown: NaN, then zeros, cut
  struct Case {
    const char* what;
    MessageKind kind;
    std::vector<std::uint8_t> payload;
    std::size_t length;
  };
  const std::vector<Case> cases = {
      {"heartbeat", kHeartbeat, payloadOf(Heartbeat{}), 9},
      {"odometry, quality 0 cut", kOdometry, payloadOf(Odometry{}), 232},
      {"odometry, quality -1", kOdometry, payloadOf(lost), 233},
      {"vision position estimate", kVisionPositionEstimate, payloadOf(still), 36},
      {"all zeros keep one byte", kVisionPositionEstimate, std::vector<std::uint8_t>(10, 0), 1},
  };
  Framer framer(7, kComponentVisualOdometry);
  for (const Case& c : cases) {
    const std::vector<std::uint8_t> frame = framer.frame(c.kind, c.payload);
    ASSERT_EQ(frame.size(), 10 + c.length + 2) << c.what;
    EXPECT_EQ(frame[0], 0xFD) << c.what;
    EXPECT_EQ(frame[1], c.length) << c.what;
    EXPECT_EQ(frame[2] | frame[3], 0) << c.what;  // no flags
    EXPECT_EQ(frame[5], 7) << c.what;
    EXPECT_EQ(frame[6], kComponentVisualOdometry) << c.what;
    EXPECT_EQ(frame[7] | frame[8] << 8 | frame[9] << 16, int(c.kind.id)) << c.what;
    EXPECT_TRUE(std::equal(frame.begin() + 10, frame.end() - 2, c.payload.begin())) << c.what;
    std::vector<std::uint8_t> covered(frame.begin() + 1, frame.end() - 2);
    covered.push_back(c.kind.crcExtra);
    EXPECT_EQ(accumulate(covered), frame[frame.size() - 2] | frame.back() << 8) << c.what;
  }
}

TEST(MavlinkFrames, TheSequenceCountsEachFrameAndWraps) {
  Framer framer(1, 1);
  for (int i = 0; i < 300; ++i)
    ASSERT_EQ(framer.frame(kHeartbeat, payloadOf(Heartbeat{}))[4], i % 256);
}

TEST(MavlinkMessages, FieldsInWireOrder) {
  Odometry o;
  o.timeUsec = 0x0102030405060708;
  o.position = {1.5f, -2.5f, 3.25f};
  o.quaternion = {0.5f, 0.5f, -0.5f, 0.5f};
  o.poseCovariance[0] = 0.01f;
  o.poseCovariance[20] = 0.02f;
  o.resetCounter = 4;
  o.quality = 87;
  const std::vector<std::uint8_t> p = payloadOf(o);
  ASSERT_EQ(p.size(), 233u);
  EXPECT_EQ(at<std::uint64_t>(p, 0), o.timeUsec);
  EXPECT_EQ(at<float>(p, 12), -2.5f);          // y
  EXPECT_EQ(at<float>(p, 28), -0.5f);          // q[2]
  EXPECT_TRUE(std::isnan(at<float>(p, 36)));   // vx unknown
  EXPECT_EQ(at<float>(p, 60), 0.01f);          // pose_covariance[0]
  EXPECT_EQ(at<float>(p, 140), 0.02f);         // pose_covariance[20]
  EXPECT_TRUE(std::isnan(at<float>(p, 144)));  // velocity_covariance unknown
  EXPECT_EQ(p[228], kFrameLocalFrd);
  EXPECT_EQ(p[229], kFrameBodyFrd);
  EXPECT_EQ(p[230], 4);
  EXPECT_EQ(p[231], kEstimatorVision);
  EXPECT_EQ(std::int8_t(p[232]), 87);

  VisionPositionEstimate v;
  v.usec = 42;
  v.yaw = 1.25f;
  v.covariance.fill(0.5f);
  v.resetCounter = 9;
  const std::vector<std::uint8_t> q = payloadOf(v);
  ASSERT_EQ(q.size(), 117u);
  EXPECT_EQ(at<std::uint64_t>(q, 0), 42u);
  EXPECT_EQ(at<float>(q, 28), 1.25f);  // yaw
  EXPECT_EQ(at<float>(q, 112), 0.5f);  // covariance[20]
  EXPECT_EQ(q[116], 9);

  const std::vector<std::uint8_t> h = payloadOf(Heartbeat{});
  EXPECT_EQ(
      (std::vector<std::uint8_t>(h.begin() + 4, h.end())),
      (std::vector<std::uint8_t>{kTypeOnboardController, kAutopilotInvalid, 0, kStateActive, 3}));
}
