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

}  // namespace Orvanta::site
