#include "measurement.hpp"

#include <array>
#include <cmath>

#include "mat_ops.hpp"
#include "model_constants.hpp"
#include "model_data.hpp"
#include "pair_geometry.hpp"
#include "trilateration.hpp"

namespace Orvanta {

namespace {

cv::Mat positionOf(const cv::Mat& x) {
  return block(x, 7, 9, 1, 1);
}

// Landmark k (1-based) of the 3x4 table.
cv::Mat landmarkOf(const cv::Mat& landmarks, int k) {
  return block(landmarks, 1, 3, k, k);
}

double noiseRow(const cv::Mat& noise, int row) {
  return noise.at<double>(row, 0);
}

// Noisy ranges to landmarks 1..count.
cv::Mat simulatedRanges(const cv::Mat& p, const cv::Mat& noise, const cv::Mat& landmarks,
                        int count) {
  cv::Mat ranges = newMat(count, 1);
  for (int k = 1; k <= count; ++k) {
    const double trueRange = cv::norm(p, landmarkOf(landmarks, k), cv::NORM_L2);
    ranges.at<double>(k - 1, 0) = trueRange + noiseRow(noise, k - 1);
  }
  return ranges;
}

void publish(const cv::Mat& fix, const cv::Mat& x, const cv::Mat& noise, int headingRow) {
  ubaciMatricu(measurement, fix, 1, 3, 1, 1);
  measurement.at<double>(3, 0) = noiseRow(noise, headingRow) + x.at<double>(11, 0);
}

cv::Vec3d vec(const cv::Mat& column) {
  return {column.at<double>(0, 0), column.at<double>(1, 0), column.at<double>(2, 0)};
}

}  // namespace

void landmarkRanges(const cv::Mat& x) {
  const double px = x.at<double>(6, 0), py = x.at<double>(7, 0), pz = x.at<double>(8, 0);
  const std::array<std::array<double, 3>, 4> table = {
      {{x1, y1, z1}, {x2, y2, z2}, {x3, y3, z3}, {x4, y4, z4}}};
  for (int k = 0; k < 4; ++k) {
    const auto& [lx, ly, lz] = table[k];
    rangeVector.at<double>(k, 0) =
        std::sqrt(integerPower(px - lx, 2) + integerPower(py - ly, 2) + integerPower(pz - lz, 2));
  }
}

void simulateMeasurement1(const cv::Mat& x, const cv::Mat& noise, const cv::Mat& landmark) {
  const cv::Mat p = positionOf(x);
  const double range = cv::norm(p, landmark, cv::NORM_L2) + noiseRow(noise, 0);
  const cv::Mat posKonacno = scaled(p - landmark, range);
  const cv::Mat posKonacnoPom = scaled(posKonacno, 1 / cv::norm(p, landmark, cv::NORM_L2));
  publish(landmark + posKonacnoPom, x, noise, 1);
}

void simulateMeasurement2(const cv::Mat& x, const cv::Mat& noise, const cv::Mat& landmarks) {
  const cv::Mat p = positionOf(x);
  const cv::Mat r = simulatedRanges(p, noise, landmarks, 2);
  const PairFrame frame = pairFrame(vec(landmarkOf(landmarks, 1)), vec(landmarkOf(landmarks, 2)),
                                    r.at<double>(0, 0), r.at<double>(1, 0));
  const cv::Vec3d u = offsetFromCentre(frame, vec(p));
  const double phi = std::atan2(u[2], u[1]);
  // The point of the two-sphere circle in the direction of the vehicle around the baseline.
  const cv::Vec3d onCircle(frame.x0, frame.h * std::cos(phi), frame.h * std::sin(phi));
  publish(cv::Mat(toLandmarkFrame(frame, onCircle)), x, noise, 2);
}

void simulateMeasurement3(const cv::Mat& x, const cv::Mat& noise, const cv::Mat& landmarks) {
  const int orderC[3][2] = {{1, 2}, {1, 3}, {2, 3}};
  const cv::Mat p = positionOf(x);
  const cv::Mat r = simulatedRanges(p, noise, landmarks, 3);
  auto range = [&r](int k) { return r.at<double>(k - 1, 0); };
  cv::Mat chosen = zeroMat(3, 3);
  for (int i = 0; i < 3; ++i) {
    const auto [a, b] = orderC[i];
    const int c = otherLandmark(a, b, 3, 1);
    const PairFrame frame =
        pairFrame(vec(landmarkOf(landmarks, a)), vec(landmarkOf(landmarks, b)), range(a), range(b));
    cv::Vec3d P1, P2;
    circleCandidates(frame, vec(landmarkOf(landmarks, c)), range(c), P1, P2);
    // The two candidates mirror each other; the true position tells them apart.
    const bool first = cv::norm(P1 - vec(p)) < cv::norm(P2 - vec(p));
    cv::Mat(first ? P1 : P2).copyTo(chosen.col(i));
  }
  cv::Mat fix = newMat(3, 1);
  mean2(chosen, fix);
  publish(fix, x, noise, 3);
}

void simulateMeasurement4(const cv::Mat& x, const cv::Mat& noise, const cv::Mat& landmarks) {
  const cv::Mat r = simulatedRanges(positionOf(x), noise, landmarks, 4);
  publish(cv::Mat(trilaterate(r, landmarks)), x, noise, 4);
}

}  // namespace Orvanta
