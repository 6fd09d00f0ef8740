// The plain way of a colour pass, to compare the program's own against: similarity pixel by
// pixel, the library's median over the whole picture, and cv::HoughCircles on the whole picture.
#pragma once

#include "detection.hpp"

namespace OrvantaTest {

const Orvanta::DetectionStages& referenceStages();

}  // namespace OrvantaTest
