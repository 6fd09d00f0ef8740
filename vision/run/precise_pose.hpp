// The precise estimate in the tracking loop: its settings from the calibrated balls, the
// landmark table and the camera model, and its block in the operator window.
#pragma once

#include <opencv2/core.hpp>
#include <optional>
#include <string>

#include "estimator.hpp"
#include "host.hpp"
#include "picture_fix.hpp"

namespace Orvanta {

// The camera at the pictures' size, the balls' calibrated colours, the landmark table as the
// range solver has it.
pose::EstimatorSettings estimatorSettings(const site::CameraModel& camera, double ballRadius);

// The status in the window's language: "4 kugle", "3 kugle, nema žute", "Nema pozicije: ...".
std::string statusText(const pose::CameraPose& pose);

// How far the operator can trust a pose: good (four balls, quality at least goodQuality),
// doubtful (three balls, or a lower quality), none (no pose).
enum class Trust { good, doubtful, none };
inline constexpr int goodQuality = 30;  // the position known to about 2 cm
Trust trustOf(const pose::CameraPose& pose);

// The precise block of one run: its boxes (preciseX, preciseY, preciseZ, preciseHeading,
// preciseRms, preciseStatus), the status coloured by the trust (green, amber, red), with the
// quality of a pose or, without one, how long ago the last pose was; and the track.
class PreciseBlock {
 public:
  void show(OperatorTexts& texts, const PictureFix& fix);

 private:
  std::optional<double> lastPosed_;  // capture time of the run's last pose, seconds
};

}  // namespace Orvanta
