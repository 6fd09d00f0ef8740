// Time of one four-landmark trilateration.
#include <benchmark/benchmark.h>

#include "trilateration.hpp"

namespace {

void BM_Trilaterate(benchmark::State& state) {
  const float x = 0.7f, y = -0.51f;
  const cv::Mat landmarks = (cv::Mat_<double>(3, 4) << 0, x, x, 0, 0, 0, y, y, 0, 0, 0, 0);
  const cv::Vec3d truth(0.3, -0.2, 1.2);
  cv::Mat ranges(4, 1, CV_64FC1);
  for (int k = 0; k < 4; ++k) ranges.at<double>(k) = cv::norm(truth - cv::Vec3d(landmarks.col(k)));
  for (auto _ : state) benchmark::DoNotOptimize(Orvanta::trilaterate(ranges, landmarks));
}
BENCHMARK(BM_Trilaterate);

}  // namespace

BENCHMARK_MAIN();
