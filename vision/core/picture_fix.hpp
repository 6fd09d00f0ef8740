// One picture's precise estimate, as the tracking loop hands it on.
#pragma once

#include "camera_pose.hpp"

namespace Orvanta {

// Picture 0 is the first the source delivered.
struct PictureFix {
  int picture = 0;
  pose::CameraPose pose;
};

}  // namespace Orvanta
