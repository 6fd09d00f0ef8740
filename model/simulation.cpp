#include "simulation.hpp"

#include <algorithm>
#include <cmath>

#include "model_data.hpp"
#include "vehicle_model.hpp"

namespace Orvanta {

namespace {

cv::Mat columnOf(const double* values, int rows) {
  cv::Mat m(rows, 1, CV_64FC1);
  for (int i = 0; i < rows; ++i) m.at<double>(i, 0) = values[i];
  return m;
}

bool finite(const State& x) {
  return std::all_of(x.begin(), x.end(), [](double v) { return std::isfinite(v); });
}

State plus(const State& x, double h, const State& dx) {
  State out;
  for (std::size_t i = 0; i < x.size(); ++i) out[i] = x[i] + h * dx[i];
  return out;
}

}  // namespace

Forces ForceSchedule::at(double t) const {
  Forces forces{};
  for (const Entry& entry : entries) {
    if (entry.from > t) break;
    forces = entry.forces;
  }
  return forces;
}

double ForceSchedule::nextChange(double t) const {
  for (const Entry& entry : entries)
    if (entry.from > t) return entry.from;
  return INFINITY;
}

VehicleDynamics::VehicleDynamics() : model_(formModelMatrices()) {}

State VehicleDynamics::derivative(double t, const State& x, const Forces& tau) const {
  const ModelMatrices& m = model_;
  vehicleModel(float(t), columnOf(x.data(), 12), columnOf(tau.data(), 6), 1, m.x0, liftParams,
               flowParams, m.m, m.rG, m.rB, m.I0, m.MRB, m.MA, m.D, m.Dn);
  State dx;
  for (int i = 0; i < 12; ++i) dx[i] = modelOutput.at<double>(i, 0);
  return dx;
}

State VehicleDynamics::initialState() const {
  State x;
  for (int i = 0; i < 12; ++i) x[i] = model_.x0.at<double>(i, 0);
  return x;
}

State rungeKuttaStep(const VehicleDynamics& dynamics, const ForceSchedule& tau, double t,
                     const State& x, double h) {
  const Forces input = tau.at(t);
  const State k1 = dynamics.derivative(t, x, input);
  const State k2 = dynamics.derivative(t + h / 2, plus(x, h / 2, k1), input);
  const State k3 = dynamics.derivative(t + h / 2, plus(x, h / 2, k2), input);
  const State k4 = dynamics.derivative(t + h, plus(x, h, k3), input);
  State next;
  for (std::size_t i = 0; i < x.size(); ++i)
    next[i] = x[i] + h / 6 * (k1[i] + 2 * k2[i] + 2 * k3[i] + k4[i]);
  return next;
}

bool simulate(const VehicleDynamics& dynamics, const SimulationRun& run,
              const std::function<bool(long step, double t, const State& x)>& visit) {
  // Whole steps, counted rather than accumulated, so 10 s of 0.01 s steps is 1000 of them.
  const double ratio = run.duration / run.step;
  const long whole =
      std::abs(ratio - std::round(ratio)) < 1e-9 ? std::lround(ratio) : long(std::ceil(ratio));
  State x = run.start;
  if (!visit(0, 0, x)) return true;
  for (long k = 1; k <= whole; ++k) {
    const double t0 = double(k - 1) * run.step;
    const double t1 = k == whole ? run.duration : double(k) * run.step;
    State next = x;
    for (double t = t0; t < t1;) {
      const double end = std::min(t1, run.tau.nextChange(t));
      next = rungeKuttaStep(dynamics, run.tau, t, next, end - t);
      t = end;
    }
    if (!finite(next)) return false;
    x = next;
    if (!visit(k, t1, x)) return true;
  }
  return true;
}

}  // namespace Orvanta
