#include "precise_pose.hpp"

#include <cmath>
#include <cstdio>

#include "ball_names.hpp"
#include "detection.hpp"
#include "number_format.hpp"
#include "pose_quality.hpp"
#include "state.hpp"

namespace Orvanta {

namespace {

std::string printed(const char* format, double value) {
  char text[48];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

// Light green, amber and red backgrounds, by Trust.
const cv::Vec3i kTrustColours[] = {{198, 239, 206}, {255, 224, 140}, {255, 190, 190}};

std::string missingBalls(const pose::PoseStatus& status) {
  std::string names;
  for (int i = 0; i < site::kBallCount; ++i)
    if (status.missing[i])
      names += (names.empty() ? "nema " : " ni ") + std::string(kBallGenitive[i]);
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

Trust trustOf(const pose::CameraPose& pose) {
  if (!pose.valid) return Trust::none;
  return pose.balls == site::kBallCount && pose::poseQuality(pose) >= goodQuality ? Trust::good
                                                                                  : Trust::doubtful;
}

void PreciseBlock::show(OperatorTexts& texts, const PictureFix& fix) {
  const pose::CameraPose& pose = fix.pose;
  const bool valid = pose.valid;
  texts.setText("preciseX", valid ? printed("%.4f", pose.position[0]) : "---");
  texts.setText("preciseY", valid ? printed("%.4f", pose.position[1]) : "---");
  texts.setText("preciseZ", valid ? printed("%.4f", pose.position[2]) : "---");
  texts.setText("preciseHeading", valid ? printed("%.2f", pose.headingDegrees) : "---");
  texts.setText("preciseRms", valid ? printed("%.3f", pose.rmsPx) : "---");
  std::string status = statusText(pose);
  if (valid) {
    status += ", kvaliteta " + std::to_string(pose::poseQuality(pose));
    lastPosed_ = fix.seconds;
  } else if (lastPosed_) {
    status += " (zadnja " + ageText(fix.seconds - *lastPosed_) + ")";
  }
  texts.setText("preciseStatus", status);
  const cv::Vec3i colour = kTrustColours[int(trustOf(pose))];
  texts.setBoxColour("preciseStatus", colour[0], colour[1], colour[2]);
  if (valid) texts.markPrecisePosition(pose.position[0], pose.position[1]);
  texts.plotPrecisePose(fix.seconds, valid ? cv::Vec4d(pose.position[0], pose.position[1],
                                                       pose.position[2], pose.headingDegrees)
                                           : cv::Vec4d::all(NAN));
}

}  // namespace Orvanta
