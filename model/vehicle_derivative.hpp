// Time derivative of the vehicle's 12-element state.
#pragma once

#include <opencv2/core.hpp>

#include "flow_forces.hpp"
#include "model_matrices.hpp"

namespace Orvanta {

// x: 12x1 state (nu1, nu2, eta1, eta2); tau: 6x1 body forces and moments. Returns 12x1:
// rows 0-5 the body accelerations, rows 6-11 the earth-frame position and attitude rates.
// The position rows of x take no part.
cv::Mat stateDerivative(const cv::Mat& x, const cv::Mat& tau, const FlowCoefficients& c,
                        const ModelMatrices& model);

}  // namespace Orvanta
