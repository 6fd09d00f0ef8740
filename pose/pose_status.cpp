#include "pose_status.hpp"

#include <cstdio>

namespace Orvanta::pose {

namespace {

std::string missingBalls(const PoseStatus& status) {
  std::string names;
  int count = 0;
  for (int i = 0; i < site::kBallCount; ++i) {
    if (!status.missing[i]) continue;
    names += (count++ ? " and " : "") + std::string(ballName(i + 1));
  }
  return count ? names + " not found" : "";
}

std::string printed(const char* format, double a, double b) {
  char text[96];
  std::snprintf(text, sizeof text, format, a, b);
  return text;
}

std::string refusal(const PoseStatus& status) {
  switch (status.refusal) {
    case Refusal::reprojection:
      return printed("reprojection %.2f px over %.2g px", status.measured, status.limit);
    case Refusal::ranges:
      return printed("ranges disagree by %.1f%% over %.3g%%", 100 * status.measured,
                     100 * status.limit);
    case Refusal::noSolution:
      return "no solution";
    case Refusal::ambiguous:
      return printed("two poses %.0f mm apart fit", 1000 * status.measured, 0);
    case Refusal::unstable:
      return printed("three-ball pose uncertain by %.0f mm over %.0f mm", 1000 * status.measured,
                     1000 * status.limit);
    case Refusal::pictureSize:
      return "picture size differs from the camera model";
    case Refusal::none:
    case Refusal::tooFewBalls:
      break;
  }
  return "?";
}

}  // namespace

const char* ballName(int ball) {
  return ball >= 1 && ball <= site::kBallCount ? site::kBallNames[ball - 1] : "?";
}

std::string describe(const PoseStatus& status) {
  const std::string missing = missingBalls(status);
  switch (status.refusal) {
    case Refusal::none:
      return missing.empty() ? "ok" : "ok: " + missing;
    case Refusal::tooFewBalls:
      return missing;
    default:
      return missing.empty() ? refusal(status) : refusal(status) + "; " + missing;
  }
}

}  // namespace Orvanta::pose
