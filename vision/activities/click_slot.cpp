#include "click_slot.hpp"

#include <opencv2/highgui.hpp>

#include "state.hpp"

namespace Orvanta {

void mouseClick(int event, int x, int y, int /*flags*/, void* /*param*/) {
  if (event != cv::EVENT_LBUTTONDOWN) return;
  izmjena = true;
  box.x = x;
  box.y = y;
}

}  // namespace Orvanta
