#include "vehicle_model.hpp"

#include <cstdlib>

#include "flow_forces.hpp"
#include "model_data.hpp"
#include "vehicle_derivative.hpp"

namespace Orvanta {

constinit ModelSizes modelSizes{};

void vehicleModel(float /*t*/, const cv::Mat& x, const cv::Mat& tau, int flag, const cv::Mat& x0,
                  const cv::Mat& lift, const cv::Mat& flow, double m, const cv::Mat& rG,
                  const cv::Mat& rB, const cv::Mat& I0, const cv::Mat& MRB, const cv::Mat& MA,
                  const cv::Mat& D, const cv::Mat& Dn) {
  const FlowCoefficients coefficients = readFlowCoefficients(lift, flow);
  if (flag == 0) {
    modelSizes = {12, 0, 12, 6, 0, 1};
  } else if (std::abs(flag) == 1) {
    const ModelMatrices model{x0, m, rG, rB, I0, MRB, MA, D, Dn};
    stateDerivative(x, tau, coefficients, model).copyTo(modelOutput);
  } else if (flag == 3) {
    x.copyTo(modelOutput);
  }
}

}  // namespace Orvanta
