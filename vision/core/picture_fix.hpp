// One picture's precise estimate, as the tracking loop hands it on.
#pragma once

#include "camera_pose.hpp"

namespace Orvanta {

// Picture 0 is the first the source delivered.
struct PictureFix {
  int picture = 0;
  pose::CameraPose pose;
  double seconds = 0;    // when the picture was taken: its place in a recording, or live, its
                         // arrival on the monotonic clock
  double latencyMs = 0;  // from the picture's arrival to its estimate being handed on
};

}  // namespace Orvanta
