// Allocating forms of the toolkit operations: the toolkit writes into destinations that the
// caller has sized, these create the destination and return it.
#pragma once

#include <initializer_list>
#include <opencv2/core.hpp>

#include "matrix_toolkit.hpp"

namespace Orvanta {

inline cv::Mat newMat(int rows, int cols) {
  return cv::Mat(rows, cols, CV_64FC1);
}

inline cv::Mat zeroMat(int rows, int cols) {
  return cv::Mat::zeros(rows, cols, CV_64FC1);
}

// Column vector of the given values.
inline cv::Mat column(std::initializer_list<double> values) {
  return cv::Mat_<double>(values);
}

inline cv::Mat product(const cv::Mat& A, const cv::Mat& B) {
  cv::Mat C = newMat(A.rows, B.cols);
  matMul(A, B, C);
  return C;
}

inline cv::Mat scaled(const cv::Mat& A, double s) {
  cv::Mat B = newMat(A.rows, A.cols);
  matMulScalar(A, B, s);
  return B;
}

inline cv::Mat skew(const cv::Mat& v) {
  cv::Mat S = newMat(3, 3);
  skewsymm(v, S);
  return S;
}

// Rows r1..r2, columns c1..c2 (1-based, inclusive) of S as a matrix of its own.
inline cv::Mat block(const cv::Mat& S, int r1, int r2, int c1, int c2) {
  cv::Mat D = newMat(r2 - r1 + 1, c2 - c1 + 1);
  izreziMat(S, D, r1, r2, c1, c2);
  return D;
}

inline cv::Mat inverse(const cv::Mat& A) {
  cv::Mat inv;
  cv::invert(A, inv, cv::DECOMP_LU);
  return inv;
}

}  // namespace Orvanta
