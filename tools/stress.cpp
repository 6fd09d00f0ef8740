// Hard content for the circle detection, for tests and benchmarks.
#include <opencv2/imgproc.hpp>

#include "scene.hpp"

namespace Orvanta::scene {

namespace {

cv::Scalar colourOf(int k) {
  const cv::Vec3b c = ballColour(1 + k % site::kBallCount);
  return cv::Scalar(c[0], c[1], c[2]);
}

}  // namespace

cv::Mat stressPicture(Stress kind, cv::Size size) {
  cv::Mat picture(size, CV_8UC3, cv::Scalar(90, 86, 69));
  const cv::Point centre(size.width / 2, size.height / 2);
  switch (kind) {
    case Stress::stripes:
      for (int x = 0; x < size.width; ++x)
        cv::line(picture, {x, 0}, {x, size.height - 1}, colourOf(x), 1);
      break;
    case Stress::rings:
      for (int r = 1, k = 0; r < size.width; r += 2, ++k)
        cv::circle(picture, centre, r, colourOf(k), 1, cv::LINE_8);
      break;
    case Stress::checkerboard:
      for (int y = 0; y < size.height; y += 2)
        for (int x = 0; x < size.width; x += 2)
          cv::rectangle(picture, cv::Rect(x, y, 2, 2), colourOf(x / 2 + y / 2), cv::FILLED);
      break;
    case Stress::blobs: {
      cv::RNG rng(7);
      for (int k = 0; k < size.area() / 60; ++k)
        cv::circle(picture, {rng.uniform(0, size.width), rng.uniform(0, size.height)},
                   rng.uniform(1, 4), colourOf(k), cv::FILLED);
      break;
    }
  }
  return picture;
}

}  // namespace Orvanta::scene
