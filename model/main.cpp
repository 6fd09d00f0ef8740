// quellmar: one fixed scenario of the vehicle model program. Places the vehicle, simulates a
// range measurement to one landmark and prints the resulting fix and heading.
#include "mat_ops.hpp"
#include "measurement.hpp"
#include "model_data.hpp"
#include "model_matrices.hpp"

namespace {

void placeVehicle(cv::Mat& x) {
  x.setTo(0);
  x.at<double>(6, 0) = 2;
  x.at<double>(7, 0) = -1.7;
  x.at<double>(8, 0) = 7;
  x.at<double>(11, 0) = 45;
}

}  // namespace

int main() {
  using namespace Orvanta;
  setUpModelData();
  // Formed as every run of the model begins; this scenario measures only.
  [[maybe_unused]] const ModelMatrices model = formModelMatrices();
  placeVehicle(state);
  cv::Mat noise = newMat(2, 1);
  ubaciVrijednostiUMat(noise, 0.1);
  const cv::Mat landmark = block(landmarks, 1, 3, 2, 2);
  simulateMeasurement1(state, noise, landmark);
  ispis(measurement);
  return 0;
}
