#include "flow_forces.hpp"

#include <algorithm>
#include <cmath>

#include "mat_ops.hpp"
#include "model_constants.hpp"

namespace Orvanta {

namespace {

template <std::size_t N>
std::array<double, N> readRows(const cv::Mat& v) {
  CV_Assert(v.type() == CV_64FC1 && v.rows >= static_cast<int>(N));
  std::array<double, N> values{};
  for (std::size_t i = 0; i < N; ++i) {
    values[i] = v.at<double>(static_cast<int>(i), 0);
  }
  return values;
}

struct FlowState {
  double u, v, w;
  double V;      // speed
  double alpha;  // angle of attack
  double beta;   // sideslip
};

FlowState flowState(const cv::Mat& nu) {
  FlowState s{nu.at<double>(0, 0), nu.at<double>(1, 0), nu.at<double>(2, 0), 0.0, 0.0, 0.0};
  s.V = std::sqrt(s.u * s.u + s.v * s.v + s.w * s.w);
  // Without forward speed the angles are undefined; the flow terms then take them as zero. A
  // speed so small that its square underflows counts as none: v / V would be 0 / 0.
  if (s.u != 0.0 && s.V > 0.0) {
    s.alpha = std::atan(s.w / s.u);
    s.beta = std::asin(std::clamp(s.v / s.V, -1.0, 1.0));
  }
  return s;
}

}  // namespace

FlowCoefficients readFlowCoefficients(const cv::Mat& lift, const cv::Mat& flow) {
  return {readRows<6>(lift), readRows<10>(flow)};
}

cv::Mat flowForces(const cv::Mat& nu, const FlowCoefficients& c) {
  const auto& [k, f] = c;
  const FlowState s = flowState(nu);
  const double qd = 0.5 * f[4] * s.V * s.V;
  const double CL = k[0] * s.alpha * radToDeg;
  const double CD = std::fabs(s.alpha) * k[1] * radToDeg + 0.02;
  const double CY = k[2] * s.beta * radToDeg;
  const double Cl = k[3] * s.beta * radToDeg;
  const double Cm = k[4] * s.alpha * radToDeg;
  const double Cn = k[5] * s.beta * radToDeg;
  // Lift and drag oppose the direction of travel along the body x axis.
  const double sg = -signum(s.u);
  const double L = sg * qd * CL * f[5];
  const double Df = sg * qd * CD * f[5];
  const double Y = -qd * CY * f[5];
  const double ca = std::cos(s.alpha), sa = std::sin(s.alpha);
  const double cb = std::cos(s.beta), sb = std::sin(s.beta);
  return column({ca * cb * Df - ca * sb * Y - sa * L, sb * Df + cb * Y,
                 sa * cb * Df - sa * sb * Y + ca * L, -qd * Cl * f[5] * f[6],
                 -qd * Cm * f[5] * f[7], -qd * Cn * f[5] * f[6]});
}

cv::Mat rateDamping(const cv::Mat& nu, const FlowCoefficients& c) {
  const auto& f = c.f;
  const double V = flowState(nu).V;
  const double p = nu.at<double>(3, 0), q = nu.at<double>(4, 0), r = nu.at<double>(5, 0);
  const double lateral = 0.25 * f[4] * V * f[5] * f[6] * f[6];
  const double longitudinal = 0.25 * f[4] * V * f[5] * f[7] * f[7];
  // Yaw rate damping uses its own coefficient f3 over the lateral length.
  return column({0.0, 0.0, 0.0, lateral * (f[0] * p + f[1] * r), longitudinal * (f[2] * q),
                 lateral * (f[3] * r)});
}

}  // namespace Orvanta
