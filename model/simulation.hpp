// Stepping the vehicle model through time: classical fourth-order Runge-Kutta over the state
// derivative of vehicleModel, with a body-force input held piecewise constant.
#pragma once

#include <array>
#include <functional>
#include <opencv2/core.hpp>
#include <vector>

#include "model_matrices.hpp"

namespace Orvanta {

using State = std::array<double, 12>;  // u, v, w, p, q, r, x, y, z, phi, theta, psi
using Forces = std::array<double, 6>;  // X, Y, Z, K, M, N

// The input over time: each entry's forces from its time on (times ascending); zero before the
// first.
struct ForceSchedule {
  struct Entry {
    double from;
    Forces forces;
  };
  std::vector<Entry> entries;
  Forces at(double t) const;
  // The first change of input after t, or infinity.
  double nextChange(double t) const;
};

// The model's derivative of a state, with the data the program set up (setUpModelData must
// have run).
class VehicleDynamics {
 public:
  VehicleDynamics();
  State derivative(double t, const State& x, const Forces& tau) const;
  // The program data's initial state (nu10, nu20, eta10, eta20).
  State initialState() const;

 private:
  ModelMatrices model_;
};

// One step of length h from (t, x), the input held at its value at t throughout.
State rungeKuttaStep(const VehicleDynamics& dynamics, const ForceSchedule& tau, double t,
                     const State& x, double h);

struct SimulationRun {
  double duration = 10, step = 0.01;
  State start{};
  ForceSchedule tau;
};

// Steps from 0 to duration (the last step shortened to end there), calling visit with every
// step's time and state, the start included. A step across a change of input is taken in two,
// split at the change, so the input is constant within every Runge-Kutta step. Stops early when
// visit returns false. Returns false when the state stopped being a number (then visit saw its last
// finite state).
bool simulate(const VehicleDynamics& dynamics, const SimulationRun& run,
              const std::function<bool(long step, double t, const State& x)>& visit);

}  // namespace Orvanta
