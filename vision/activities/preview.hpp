// The video preview behind "Prikaz videa".
#pragma once

#include "host.hpp"

namespace Orvanta {

// Opens the camera and shows it in "Video" (10 ms key waits) until "n" or the end of the
// frames. Each pass shows one frame and keeps the next one in image for the calibration;
// the camera stays open afterwards.
void button2_Click(Host& host);

}  // namespace Orvanta
