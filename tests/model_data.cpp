#include "model_data.hpp"

#include <gtest/gtest.h>

#include <cmath>

#include "model_matrices.hpp"

using namespace Orvanta;

namespace {

constexpr double kIz = 0.020368649640175342;
constexpr double kNr = -0.07402728336194182;

void expectDiagonal(const cv::Mat& M, std::initializer_list<double> diagonal) {
  ASSERT_EQ(M.rows, static_cast<int>(diagonal.size()));
  int i = 0;
  for (double expected : diagonal) {
    for (int j = 0; j < M.cols; ++j) {
      EXPECT_EQ(M.at<double>(i, j), i == j ? expected : 0.0) << "at (" << i << ", " << j << ")";
    }
    ++i;
  }
}

}  // namespace

TEST(ModelData, SetUpSharesStorageBothWays) {
  setUpModelData();
  EXPECT_EQ(bodyParams.ptr<double>(), bodyParamsValues.data());
  EXPECT_EQ(landmarks.ptr<double>(), landmarkCoords.data());
  ASSERT_EQ(flowParams.rows, 10);

  flowParamsValues[8] = 50.0;
  EXPECT_EQ(flowParams.at<double>(8, 0), 50.0);
  flowParams.at<double>(8, 0) = 45.0;
  EXPECT_EQ(flowParamsValues[8], 45.0);
}

TEST(ModelData, DerivedYawEntriesUseRoundedPi) {
  EXPECT_EQ(bodyParamsValues[2], kIz);
  EXPECT_EQ(quadDampParamsValues[5], -kIz);
  EXPECT_EQ(hydroParamsValues[11], kNr);
}

TEST(ModelMatrices, FormedFromShippedData) {
  setUpModelData();
  const ModelMatrices model = formModelMatrices();
  EXPECT_EQ(model.m, 4.5);
  EXPECT_EQ(model.x0.at<double>(0, 0), 0.1);
  EXPECT_EQ(cv::countNonZero(model.x0.rowRange(1, 12)), 0);
  EXPECT_EQ(model.rB.at<double>(2, 0), -0.1);
  expectDiagonal(model.MRB, {4.5, 4.5, 4.5, 0.02275, 0.02391, kIz});
  expectDiagonal(model.MA, {0, 8.0149, 3.702, 0, 0, 0});
  expectDiagonal(model.D, {38.2845, 23.689, 0, 0.1, 0.1, -kNr});
  expectDiagonal(model.Dn, {1.9404, 6.0572, 3.9404, 0.0326, 0.0175, kIz});
}

TEST(ModelMatrices, OffsetCentreOfGravityCouplesForceAndMoment) {
  setUpModelData();
  bodyParamsValues[9] = 0.05;  // rG = (0, 0, 0.05)
  const ModelMatrices model = formModelMatrices();
  bodyParamsValues[9] = 0.0;
  // M_RB = [[m I, -m S(rG)], [m S(rG), I0]]: surge couples with pitch, sway with roll.
  EXPECT_DOUBLE_EQ(model.MRB.at<double>(0, 4), 4.5 * 0.05);
  EXPECT_DOUBLE_EQ(model.MRB.at<double>(1, 3), -4.5 * 0.05);
  EXPECT_DOUBLE_EQ(model.MRB.at<double>(3, 1), -4.5 * 0.05);
  EXPECT_DOUBLE_EQ(model.MRB.at<double>(4, 0), 4.5 * 0.05);
  EXPECT_EQ(model.MRB.at<double>(0, 3), 0.0);
}
