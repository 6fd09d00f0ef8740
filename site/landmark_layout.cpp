#include "landmark_layout.hpp"

namespace Orvanta::site {

const LandmarkLayout& defaultLayout() {
  static const LandmarkLayout layout = [] {
    LandmarkLayout made;
    for (int i = 0; i < kBallCount; ++i) {
      const double* c = kDefaultCentres[i];
      made.centres[i] = {c[0], c[1], c[2]};
    }
    return made;
  }();
  return layout;
}

std::optional<std::string> layoutProblem(const LandmarkLayout& layout) {
  const double r = layout.ballRadius;
  if (!(r >= 0.005 && r <= 1)) return "the ball radius must be from 0.005 to 1 m";
  const auto& c = layout.centres;
  auto name = [](int i) { return std::string(kBallNames[i]); };
  for (int i = 0; i < kBallCount; ++i)
    for (int j = i + 1; j < kBallCount; ++j)
      if (!(cv::norm(c[i] - c[j]) >= 2 * r))
        return name(i) + " and " + name(j) + " are closer than two radii: the balls would overlap";
  // A ball within a radius of the line through two others leaves those three no triangle.
  for (int i = 0; i < kBallCount; ++i)
    for (int j = i + 1; j < kBallCount; ++j)
      for (int k = 0; k < kBallCount; ++k) {
        if (k == i || k == j) continue;
        const cv::Point3d line = c[j] - c[i];
        if (cv::norm(line.cross(c[k] - c[i])) / cv::norm(line) < r)
          return name(i) + ", " + name(j) + " and " + name(k) +
                 " lie in a line: every three balls must span a triangle";
      }
  return std::nullopt;
}

}  // namespace Orvanta::site
