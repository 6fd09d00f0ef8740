#include "preview.hpp"

#include <algorithm>

#include "camera.hpp"
#include "key_wait.hpp"
#include "pacing.hpp"
#include "state.hpp"

namespace Orvanta {

void button2_Click(Host& host) {
  host.windows.destroyWindow(name);
  host.windows.namedWindow(name_video);
  openCamera(host.cameraSource);  // a camera that cannot be opened gives no frame below
  Pacer pacer;
  pacer.start(host);

  cv::Mat still;
  PictureProblem problem;
  for (;;) {
    const bool shown = queryFrame(frame, &problem);
    // The calibration samples the last picture that really arrived.
    if (queryFrame(still, &problem)) still.copyTo(image);
    if (!shown) break;
    host.windows.show(name_video, frame);
    waitKey(host, std::max(10, pacer.waitBefore(2)));
    if (c == 'n') break;
  }
  host.windows.destroyWindow(name_video);
  if (problem) host.texts.setText("textBox7", problem.window);
}

}  // namespace Orvanta
