// Six-degree-of-freedom model of the vehicle, driven by a flag: sizes, state derivative or
// output.
#pragma once

#include <cstdint>
#include <opencv2/core.hpp>

namespace Orvanta {

struct ModelSizes {
  std::int32_t continuousStates;
  std::int32_t discreteStates;
  std::int32_t outputs;
  std::int32_t inputs;
  std::int32_t directFeedthrough;
  std::int32_t sampleTimes;
};

// Written by the initialisation call (flag 0).
extern ModelSizes modelSizes;

// flag 0: writes modelSizes. flag 1 or -1: the derivative of the 12x1 state x for the body
// forces and moments tau (6x1) into modelOutput. flag 3: copies x into modelOutput. Any other
// flag does nothing. lift (6x1) and flow (10x1) are the lift and flow coefficient vectors and
// are read under every flag. t is part of the calling convention and not used.
void vehicleModel(float t, const cv::Mat& x, const cv::Mat& tau, int flag, const cv::Mat& x0,
                  const cv::Mat& lift, const cv::Mat& flow, double m, const cv::Mat& rG,
                  const cv::Mat& rB, const cv::Mat& I0, const cv::Mat& MRB, const cv::Mat& MA,
                  const cv::Mat& D, const cv::Mat& Dn);

}  // namespace Orvanta
