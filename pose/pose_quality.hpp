// One figure for how good a pose is, as autopilots take it: -1 when there is none; otherwise 1
// (worst) to 100 (best), falling with the position's standard error and with how closely the
// planar solver's other solution fits.
#pragma once

#include "camera_pose.hpp"
#include "parameters.hpp"

namespace Orvanta::pose {

int poseQuality(const CameraPose& pose, const PoseParameters::Quality& p = {});

}  // namespace Orvanta::pose
