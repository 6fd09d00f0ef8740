#include "precise_pose.hpp"

#include <cstdio>

#include "detection.hpp"
#include "state.hpp"

namespace Orvanta {

namespace {

// The balls' names in the genitive, as in "nema žute" (no yellow one).
constexpr const char* kMissing[] = {"zelene", "crvene", "plave", "žute"};

std::string printed(const char* format, double value) {
  char text[48];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

std::string missingBalls(const pose::PoseStatus& status) {
  std::string names;
  for (int i = 0; i < site::kBallCount; ++i)
    if (status.missing[i]) names += (names.empty() ? "nema " : " ni ") + std::string(kMissing[i]);
  return names;
}

std::string refusal(const pose::PoseStatus& status) {
  switch (status.refusal) {
    case pose::Refusal::tooFewBalls:
      return missingBalls(status);
    case pose::Refusal::reprojection:
      return "kugle ne odgovaraju rasporedu (" + printed("%.2f", status.measured) + " px)";
    case pose::Refusal::ranges:
      return "udaljenosti se ne slažu (" + printed("%.1f", 100 * status.measured) + " %)";
    case pose::Refusal::noSolution:
      return "nema rješenja";
    case pose::Refusal::unstable:
      return "tri kugle, nesigurno (" + printed("%.0f", 1000 * status.measured) + " mm)";
    case pose::Refusal::ambiguous:
      return "dvije pozicije jednako dobre (" + printed("%.0f", 1000 * status.measured) + " mm)";
    case pose::Refusal::pictureSize:
      return "slika druge veličine";
    case pose::Refusal::none:
      break;
  }
  return "";
}

}  // namespace

pose::EstimatorSettings estimatorSettings(const site::CameraModel& camera, double ballRadius) {
  pose::EstimatorSettings settings;
  settings.camera = camera;
  settings.layout.ballRadius = ballRadius;
  for (int ball = 1; ball <= site::kBallCount; ++ball) {
    const int k = ball - 1;
    settings.layout.centres[k] = {landmarkpos[k], landmarkpos[4 + k], landmarkpos[8 + k]};
    const circles& record = ballRecord(ball);
    if (calibrated(record)) settings.colours[k] = cv::Vec3d(record.r, record.g, record.b);
  }
  return settings;
}

std::string statusText(const pose::CameraPose& pose) {
  if (!pose.valid) return "Nema pozicije: " + refusal(pose.status);
  const std::string missing = missingBalls(pose.status);
  return std::to_string(pose.balls) + " kugle" + (missing.empty() ? "" : ", " + missing);
}

void showPrecisePose(OperatorTexts& texts, const pose::CameraPose& pose) {
  const bool valid = pose.valid;
  texts.setText("preciseX", valid ? printed("%.4f", pose.position[0]) : "---");
  texts.setText("preciseY", valid ? printed("%.4f", pose.position[1]) : "---");
  texts.setText("preciseZ", valid ? printed("%.4f", pose.position[2]) : "---");
  texts.setText("preciseHeading", valid ? printed("%.2f", pose.headingDegrees) : "---");
  texts.setText("preciseRms", valid ? printed("%.3f", pose.rmsPx) : "---");
  texts.setText("preciseStatus", statusText(pose));
  if (valid) texts.markPrecisePosition(pose.position[0], pose.position[1]);
}

}  // namespace Orvanta
