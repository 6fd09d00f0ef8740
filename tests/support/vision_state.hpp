// Puts the vision program's globals back to their start-up values, so tests of the shared state
// do not depend on their order.
#pragma once

#include <gtest/gtest.h>

#include "scratch.hpp"
#include "state.hpp"

namespace OrvantaTest {

inline void resetVisionState() {
  using namespace Orvanta;
  zelena = crvena = plava = zuta = circles{};
  kamera = camera{};
  for (int* value :
       {&high_switch_value, &low_switch_value, &high_switch_value_filt, &low_switch_value_filt,
        &high_switch_value_hough, &low_switch_value_hough, &switch_value_median, &highInt, &lowInt,
        &highIntFilt, &lowIntFilt, &highIntHough, &lowIntHough, &IntMedian})
    *value = 0;
  capture.release();
  frame.release();
  image.release();
  c = 0;
  odabran_piksel = false;
  brojOdabranihBoja = 0;
  box = cv::Rect();
  izmjena = false;
}

}  // namespace OrvantaTest
