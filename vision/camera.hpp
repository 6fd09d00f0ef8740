// The camera seam: every activity opens and reads its pictures through these two calls, so a
// device, a video file and an image sequence are interchangeable.
#pragma once

#include <opencv2/core.hpp>
#include <string>

namespace Orvanta {

// Opens source into capture, releasing a handle still held. A string of digits is a device
// index; anything else is a video file or an image-sequence pattern ("dir/frame_%05d.png").
// False when the source cannot be opened (capture is then closed).
bool openCamera(const std::string& source);

// The next picture from capture into its own storage; false when there is none or capture is
// closed.
bool queryFrame(cv::Mat& into);

}  // namespace Orvanta
