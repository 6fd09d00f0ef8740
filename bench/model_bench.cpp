// The vehicle model's cost: one state derivative, and one simulated second of classical
// Runge-Kutta at quellmar simulate's default step (100 steps of four derivatives).
#include <benchmark/benchmark.h>

#include "model_data.hpp"
#include "simulation.hpp"

namespace {

using namespace Orvanta;

State moving() {
  State x{};
  x[0] = 0.3, x[1] = 0.05, x[5] = 0.1, x[9] = 0.05, x[10] = 0.02;  // surge, sway, yaw, tilted
  return x;
}

void BM_ModelDerivative(benchmark::State& state) {
  setUpModelData();
  const VehicleDynamics dynamics;
  const State x = moving();
  const Forces tau{10, 0, 0, 0, 0, 0.01};
  for (auto _ : state) benchmark::DoNotOptimize(dynamics.derivative(0, x, tau));
}

void BM_SimulatedSecond(benchmark::State& state) {
  setUpModelData();
  const VehicleDynamics dynamics;
  const SimulationRun run{1.0, 0.01, moving(), {{{0, {10, 0, 0, 0, 0, 0.01}}}}};
  for (auto _ : state)
    simulate(dynamics, run, [](long, double, const State& x) {
      benchmark::DoNotOptimize(x);
      return true;
    });
}

BENCHMARK(BM_ModelDerivative)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SimulatedSecond)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
