#include "solver.hpp"

#include "state.hpp"
#include "trilateration.hpp"

namespace Orvanta {

void NonlinearObservation(const cv::Mat& ranges, const cv::Mat& landmarks) {
  const cv::Vec3d position = trilaterate(ranges, landmarks);
  kamera = {position[0], position[1], position[2]};
}

}  // namespace Orvanta
