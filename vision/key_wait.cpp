#include "key_wait.hpp"

#include <opencv2/highgui.hpp>

#include "state.hpp"

namespace Orvanta {

int waitKey(Host& host, int ms) {
  c = static_cast<char>(host.keys.wait(ms));
  return c;
}

int HighguiKeyWait::wait(int ms) {
  return cv::waitKey(ms);
}

}  // namespace Orvanta
