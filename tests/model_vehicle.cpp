#include <gtest/gtest.h>

#include <cmath>

#include "model_data.hpp"
#include "model_matrices.hpp"
#include "vehicle_model.hpp"

using namespace Orvanta;

namespace {

// Figures that pass through the LU inverse of the mass matrix may differ in the last bits.
void expectWithinFewUlps(double actual, double expected) {
  const double ulp = std::nextafter(std::fabs(expected), INFINITY) - std::fabs(expected);
  EXPECT_NEAR(actual, expected, 4 * ulp);
}

class VehicleModel : public ::testing::Test {
 protected:
  void SetUp() override {
    setUpModelData();
    model = formModelMatrices();
    x = cv::Mat::zeros(12, 1, CV_64FC1);
    tau = cv::Mat::zeros(6, 1, CV_64FC1);
    lift = liftParams.clone();
    flow = flowParams.clone();
  }

  cv::Mat run(int flag) {
    vehicleModel(0.0f, x, tau, flag, model.x0, lift, flow, model.m, model.rG, model.rB, model.I0,
                 model.MRB, model.MA, model.D, model.Dn);
    return modelOutput.clone();
  }

  // modelOutput filled with a marker, to see whether a call writes it.
  static void markOutput() { modelOutput.setTo(123.0); }

  static void expectZeroExcept(const cv::Mat& xdot, std::initializer_list<int> rows) {
    for (int i = 0; i < 12; ++i) {
      if (std::find(rows.begin(), rows.end(), i) == rows.end()) {
        EXPECT_EQ(xdot.at<double>(i, 0), 0.0) << "row " << i;
      }
    }
  }

  ModelMatrices model;
  cv::Mat x, tau, lift, flow;
};

}  // namespace

TEST_F(VehicleModel, AtRestWithBalancedWeightNothingMoves) {
  expectZeroExcept(run(1), {});
}

TEST_F(VehicleModel, RolledVehicleIsRightedByBuoyancy) {
  x.at<double>(9, 0) = 0.1;
  const cv::Mat xdot = run(1);
  expectWithinFewUlps(xdot.at<double>(3, 0), -19.747269226845127);
  expectWithinFewUlps(xdot.at<double>(3, 0), -0.1 * 45 * std::sin(0.1) / 0.02275);
  expectZeroExcept(xdot, {3});
}

TEST_F(VehicleModel, SurgeIsDampedLinearlyAndQuadratically) {
  x.at<double>(0, 0) = 1.0;
  cv::Mat xdot = run(1);
  expectWithinFewUlps(xdot.at<double>(0, 0), -8.938866666666666);
  EXPECT_EQ(xdot.at<double>(6, 0), 1.0);
  expectZeroExcept(xdot, {0, 6});

  tau.at<double>(0, 0) = 10.0;
  xdot = run(1);
  expectWithinFewUlps(xdot.at<double>(0, 0), -6.7166444444444435);
  expectZeroExcept(xdot, {0, 6});
}

TEST_F(VehicleModel, DragAndRollRateDampingFromFlowCoefficients) {
  const double rho = 1000, S = 0.01, b = 0.2, f0 = -0.5, p = 0.1;
  flow.at<double>(0, 0) = f0;
  flow.at<double>(4, 0) = rho;
  flow.at<double>(5, 0) = S;
  flow.at<double>(6, 0) = b;
  x.at<double>(0, 0) = 1.0;
  x.at<double>(3, 0) = p;
  const cv::Mat xdot = run(1);
  // Drag at zero angle of attack: 0.5 rho V^2 * 0.02 * S against the motion.
  const double drag = 0.5 * rho * 1.0 * 0.02 * S;
  EXPECT_NEAR(xdot.at<double>(0, 0), (-(38.2845 + 1.9404) - drag) / 4.5, 1e-13);
  const double rollDamping = 0.25 * rho * 1.0 * S * b * b * f0 * p;
  EXPECT_NEAR(xdot.at<double>(3, 0), (-(0.1 + 0.0326 * p) * p + rollDamping) / 0.02275, 1e-13);
  expectZeroExcept(xdot, {0, 3, 6, 9});
}

TEST_F(VehicleModel, NoForwardSpeedMeansNoFlowAngles) {
  x.at<double>(1, 0) = 0.5;
  x.at<double>(2, 0) = 1.0;
  const cv::Mat plain = run(1);
  flow.at<double>(4, 0) = 1000;
  flow.at<double>(5, 0) = 0.01;
  for (int i = 0; i < 6; ++i) {
    lift.at<double>(i, 0) = 1.0;
  }
  const cv::Mat withLift = run(1);
  EXPECT_TRUE(cv::checkRange(withLift));
  EXPECT_EQ(cv::norm(withLift, plain, cv::NORM_INF), 0.0);
}

TEST_F(VehicleModel, EarthRatesFollowTheEulerKinematics) {
  const double u = 1, v = 0.5, w = 0.2, p = 0.05, q = 0.3, r = 0.1;
  const double phi = 0.2, theta = 0.1, psi = 0.3;
  const double nu[6] = {u, v, w, p, q, r};
  for (int i = 0; i < 6; ++i) {
    x.at<double>(i, 0) = nu[i];
  }
  x.at<double>(9, 0) = phi;
  x.at<double>(10, 0) = theta;
  x.at<double>(11, 0) = psi;
  const cv::Mat xdot = run(1);
  // Body velocity rotated by roll, then pitch, then yaw.
  const cv::Vec3d afterRoll(u, std::cos(phi) * v - std::sin(phi) * w,
                            std::sin(phi) * v + std::cos(phi) * w);
  const cv::Vec3d afterPitch(std::cos(theta) * afterRoll[0] + std::sin(theta) * afterRoll[2],
                             afterRoll[1],
                             -std::sin(theta) * afterRoll[0] + std::cos(theta) * afterRoll[2]);
  const cv::Vec3d earth(std::cos(psi) * afterPitch[0] - std::sin(psi) * afterPitch[1],
                        std::sin(psi) * afterPitch[0] + std::cos(psi) * afterPitch[1],
                        afterPitch[2]);
  for (int i = 0; i < 3; ++i) {
    EXPECT_NEAR(xdot.at<double>(6 + i, 0), earth[i], 1e-15);
  }
  EXPECT_NEAR(xdot.at<double>(9, 0), p + std::tan(theta) * (std::sin(phi) * q + std::cos(phi) * r),
              1e-15);
  EXPECT_NEAR(xdot.at<double>(10, 0), std::cos(phi) * q - std::sin(phi) * r, 1e-15);
  EXPECT_NEAR(xdot.at<double>(11, 0), (std::sin(phi) * q + std::cos(phi) * r) / std::cos(theta),
              1e-15);
}

TEST_F(VehicleModel, NegativeDerivativeFlagComputesTheSameDerivative) {
  x.at<double>(0, 0) = 0.7;
  x.at<double>(4, 0) = 0.2;
  x.at<double>(9, 0) = 0.3;
  const cv::Mat positive = run(1);
  markOutput();
  EXPECT_EQ(cv::norm(run(-1), positive, cv::NORM_INF), 0.0);
}

TEST_F(VehicleModel, OutputFlagCopiesTheState) {
  for (int i = 0; i < 12; ++i) {
    x.at<double>(i, 0) = i + 0.5;
  }
  EXPECT_EQ(cv::norm(run(3), x, cv::NORM_INF), 0.0);
}

TEST_F(VehicleModel, InitialisationFlagReportsSizesOnly) {
  markOutput();
  modelSizes = {};
  run(0);
  EXPECT_EQ(modelSizes.continuousStates, 12);
  EXPECT_EQ(modelSizes.discreteStates, 0);
  EXPECT_EQ(modelSizes.outputs, 12);
  EXPECT_EQ(modelSizes.inputs, 6);
  EXPECT_EQ(modelSizes.directFeedthrough, 0);
  EXPECT_EQ(modelSizes.sampleTimes, 1);
  EXPECT_EQ(cv::countNonZero(modelOutput != 123.0), 0);
}

TEST_F(VehicleModel, OtherFlagsChangeNothing) {
  x.at<double>(0, 0) = 1.0;
  for (int flag : {2, 4}) {
    markOutput();
    modelSizes = {};
    run(flag);
    EXPECT_EQ(cv::countNonZero(modelOutput != 123.0), 0) << "flag " << flag;
    EXPECT_EQ(modelSizes.continuousStates, 0) << "flag " << flag;
  }
}
