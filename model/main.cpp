// quellmar: the vehicle model program. Without arguments it runs its fixed scenario: places the
// vehicle, simulates a range measurement to one landmark and prints the resulting fix and
// heading.
#include <iostream>
#include <string>

#include "mat_ops.hpp"
#include "measurement.hpp"
#include "model_data.hpp"
#include "model_matrices.hpp"
#include "simulate_command.hpp"

namespace {

constexpr const char* kUsage =
    "usage: quellmar\n"
    "  Runs the fixed scenario and prints the simulated measurement x, y, z, heading.\n"
    "usage: quellmar simulate [options]\n"
    "  Steps the vehicle model through time; quellmar simulate --help lists the options.\n";

void placeVehicle(cv::Mat& x) {
  x.setTo(0);
  x.at<double>(6, 0) = 2;
  x.at<double>(7, 0) = -1.7;
  x.at<double>(8, 0) = 7;
  x.at<double>(11, 0) = 45;
}

int fixedScenario() {
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
  // A full disk or a closed standard output loses the measurement: say so.
  std::cout.flush();
  if (!std::cout) {
    std::cerr << "quellmar: the measurement could not be written to standard output\n";
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 1) return fixedScenario();
  if (std::string(argv[1]) == "simulate")
    return Orvanta::simulateCommand(argc - 1, argv + 1, std::cerr);
  if (argc == 2 && (std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h")) {
    std::cout << kUsage;
    return 0;
  }
  std::cerr << "quellmar: unknown arguments\n" << kUsage;
  return 2;
}
