#include "highgui_key_wait.hpp"

#include <opencv2/highgui.hpp>

namespace Orvanta {

int HighguiKeyWait::wait(int ms) {
  return cv::waitKey(ms);
}

}  // namespace Orvanta
