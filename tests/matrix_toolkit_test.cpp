#include "matrix_toolkit.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <sstream>

using namespace Orvanta;

namespace {

cv::Mat mat(int rows, int cols, std::initializer_list<double> values) {
  cv::Mat m(rows, cols, CV_64FC1);
  auto it = values.begin();
  for (int i = 0; i < rows; ++i)
    for (int j = 0; j < cols; ++j) m.at<double>(i, j) = *it++;
  return m;
}

void expectEqual(const cv::Mat& actual, const cv::Mat& expected) {
  ASSERT_EQ(actual.size(), expected.size());
  for (int i = 0; i < actual.rows; ++i)
    for (int j = 0; j < actual.cols; ++j)
      EXPECT_EQ(actual.at<double>(i, j), expected.at<double>(i, j)) << "at " << i << ", " << j;
}

std::string printed(const std::function<void()>& print) {
  std::ostringstream captured;
  auto* old = std::cout.rdbuf(captured.rdbuf());
  print();
  std::cout.rdbuf(old);
  return captured.str();
}

}  // namespace

TEST(MatrixPrint, RightAlignedInThirteenWithEmptyLineAfter) {
  const std::string expected = std::string(12, ' ') + "1" + std::string(12, ' ') + "2\n" +
                               std::string(12, ' ') + "3" + std::string(12, ' ') + "4\n\n";
  EXPECT_EQ(printed([] { ispis(mat(2, 2, {1, 2, 3, 4})); }), expected);
}

TEST(MatrixPrint, DefaultStreamFormattingAndBlocks) {
  const cv::Mat m = mat(2, 3, {2.0177599605876435, -1e-7, 1234567, 45.1, 0.5, -0.0});
  EXPECT_EQ(printed([&] { ispis2(m, 1, 1, 1, 3); }), "      2.01776       -1e-07  1.23457e+06\n\n");
  EXPECT_EQ(printed([&] { ispis2(m, 2, 2, 1, 2); }), "         45.1          0.5\n\n");
  EXPECT_EQ(printed([&] { ispis2(m, 2, 1, 1, 3); }), "\n");
}

TEST(MatrixBlocks, CopyAColumnOutEitherWay) {
  const cv::Mat S = mat(3, 2, {1, 2, 3, 4, 5, 6});
  cv::Mat D1(3, 1, CV_64FC1, cv::Scalar(0)), D2(3, 1, CV_64FC1, cv::Scalar(0));
  ubaciDioMatrice(D1, S, 1, 3, 2, 2);
  izreziMat(S, D2, 1, 3, 2, 2);
  expectEqual(D1, mat(3, 1, {2, 4, 6}));
  expectEqual(D2, mat(3, 1, {2, 4, 6}));
}

TEST(MatrixBlocks, PartialBlockLandsTopLeftAndLeavesTheRest) {
  const cv::Mat S = mat(3, 3, {1, 2, 3, 4, 5, 6, 7, 8, 9});
  cv::Mat D(3, 3, CV_64FC1, cv::Scalar(-1));
  ubaciDioMatrice(D, S, 2, 3, 2, 3);
  expectEqual(D, mat(3, 3, {5, 6, -1, 8, 9, -1, -1, -1, -1}));
}

TEST(MatrixBlocks, InsertPlacesSourceAndKeepsOtherRows) {
  cv::Mat D(3, 3, CV_64FC1, cv::Scalar(7));
  ubaciMatricu(D, mat(2, 2, {1, 2, 3, 4}), 2, 3, 1, 2);
  expectEqual(D, mat(3, 3, {7, 7, 7, 1, 2, 7, 3, 4, 7}));
}

TEST(MatrixBuilders, EyeOnNonSquare) {
  cv::Mat M(3, 4, CV_64FC1, cv::Scalar(5));
  eye(M);
  expectEqual(M, mat(3, 4, {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0}));
}

TEST(MatrixBuilders, SkewSymmetricGivesTheCrossProduct) {
  const cv::Mat v = mat(3, 1, {1.5, -2, 0.25}), w = mat(3, 1, {-3, 4, 2});
  cv::Mat S(3, 3, CV_64FC1, cv::Scalar(9)), Sw(3, 1, CV_64FC1);
  skewsymm(v, S);
  matVectMul(S, w, Sw);
  const cv::Vec3d expected = cv::Vec3d(1.5, -2, 0.25).cross(cv::Vec3d(-3, 4, 2));
  for (int i = 0; i < 3; ++i) EXPECT_DOUBLE_EQ(Sw.at<double>(i, 0), expected[i]);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(S.at<double>(i, i), 0.0);
}

TEST(MatrixBuilders, DiagTakesFromR1AndIgnoresR2) {
  cv::Mat v(12, 1, CV_64FC1);
  napuniVektor(v);  // 1..12
  cv::Mat D(3, 3, CV_64FC1, cv::Scalar(8)), N(3, 3, CV_64FC1), Other(3, 3, CV_64FC1);
  diag(v, 4, 6, D, 0);
  diag(v, 4, 6, N, 1);
  diag(v, 4, 1, Other, 0);
  expectEqual(D, mat(3, 3, {4, 0, 0, 0, 5, 0, 0, 0, 6}));
  expectEqual(N, mat(3, 3, {-4, 0, 0, 0, -5, 0, 0, 0, -6}));
  expectEqual(Other, D);
}

TEST(MatrixArithmetic, ProductsMeansScalingAndFill) {
  const cv::Mat A = mat(2, 3, {1, 2, 3, 4, 5, 6}), B = mat(3, 2, {1, 0, 0, 1, 2, -1});
  cv::Mat C(2, 2, CV_64FC1), m(2, 1, CV_64FC1), y(2, 1, CV_64FC1);
  matMul(A, B, C);
  expectEqual(C, mat(2, 2, {7, -1, 16, -1}));
  mean2(A, m);
  expectEqual(m, mat(2, 1, {2, 5}));
  matVectMul(A, mat(3, 1, {1, -1, 2}), y);
  expectEqual(y, mat(2, 1, {5, 11}));
  cv::Mat S = A.clone();
  matMulScalar(S, S, -0.5);  // in place
  expectEqual(S, mat(2, 3, {-0.5, -1, -1.5, -2, -2.5, -3}));
  ubaciVrijednostiUMat(S, 0.1);
  expectEqual(S, mat(2, 3, {0.1, 0.1, 0.1, 0.1, 0.1, 0.1}));
}

TEST(MatrixScalars, SignumOfZerosAndNaN) {
  EXPECT_EQ(signum(-3.5), -1);
  EXPECT_EQ(signum(1e-300), 1);
  EXPECT_EQ(signum(0.0), 0);
  EXPECT_EQ(signum(-0.0), 0);
  EXPECT_EQ(signum(std::numeric_limits<double>::quiet_NaN()), 0);
}

TEST(MatrixScalars, WrapAroundDifference) {
  EXPECT_EQ(namatanje(10, 20), -10);
  EXPECT_EQ(namatanje(200, 100), -45);
  EXPECT_EQ(namatanje(100.7, 50.2), 50);
  EXPECT_EQ(namatanje(128, 128), 0);
  EXPECT_EQ(namatanje(128, 100), 27);
  EXPECT_EQ(namatanje(250.5, 130), 120);  // same side: truncated
}

TEST(MatrixContract, OutOfRangeIndexOrWrongTypeStopsTheProgram) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  cv::Mat small(2, 2, CV_64FC1, cv::Scalar(0)), big(3, 3, CV_64FC1, cv::Scalar(1));
  EXPECT_DEATH(ubaciDioMatrice(small, big, 1, 3, 1, 3), "ubaciDioMatrice: element \\(0, 2\\)");
  cv::Mat floats(2, 2, CV_32FC1);
  EXPECT_DEATH(eye(floats), "eye: element");
}
