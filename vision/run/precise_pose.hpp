// The precise estimate in the tracking loop: its settings from the calibrated balls, the
// landmark table and the camera model, and its block in the operator window.
#pragma once

#include <opencv2/core.hpp>
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

// Writes the block's boxes (preciseX, preciseY, preciseZ, preciseHeading, preciseRms,
// preciseStatus) and marks the track.
void showPrecisePose(OperatorTexts& texts, const pose::CameraPose& pose);

}  // namespace Orvanta
