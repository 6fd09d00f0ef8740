#include "matrix_toolkit.hpp"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <iomanip>
#include <iostream>

namespace Orvanta {
namespace {

// Every element access goes through here: a broken caller contract stops the program with a
// message naming the operation, in every build type.
[[noreturn]] void contractViolation(const char* op, const cv::Mat& m, int i, int j) {
  std::fprintf(stderr, "%s: element (%d, %d) of a %dx%d matrix of type %d is out of reach\n", op, i,
               j, m.rows, m.cols, m.type());
  std::abort();
}

double& at(cv::Mat& m, int i, int j, const char* op) {
  if (m.type() != CV_64FC1 || i < 0 || j < 0 || i >= m.rows || j >= m.cols)
    contractViolation(op, m, i, j);
  return m.at<double>(i, j);
}

double get(const cv::Mat& m, int i, int j, const char* op) {
  if (m.type() != CV_64FC1 || i < 0 || j < 0 || i >= m.rows || j >= m.cols)
    contractViolation(op, m, i, j);
  return m.at<double>(i, j);
}

void setZero(cv::Mat& m, const char* op) {
  for (int i = 0; i < m.rows; ++i)
    for (int j = 0; j < m.cols; ++j) at(m, i, j, op) = 0.0;
}

}  // namespace

void ispis(const cv::Mat& M) {
  ispis2(M, 1, M.rows, 1, M.cols);
}

void ispis2(const cv::Mat& M, int r1, int r2, int c1, int c2) {
  for (int i = r1 - 1; i <= r2 - 1; ++i) {
    for (int j = c1 - 1; j <= c2 - 1; ++j) std::cout << std::setw(13) << get(M, i, j, "ispis");
    std::cout << std::endl;
  }
  std::cout << std::endl;
}

void matMulScalar(const cv::Mat& A, cv::Mat& B, double s) {
  for (int i = 0; i < A.rows; ++i)
    for (int j = 0; j < A.cols; ++j) at(B, i, j, "matMulScalar") = get(A, i, j, "matMulScalar") * s;
}

void ubaciDioMatrice(cv::Mat& D, const cv::Mat& S, int r1, int r2, int c1, int c2) {
  for (int i = 0; i <= r2 - r1; ++i)
    for (int j = 0; j <= c2 - c1; ++j)
      at(D, i, j, "ubaciDioMatrice") = get(S, r1 - 1 + i, c1 - 1 + j, "ubaciDioMatrice");
}

void ubaciMatricu(cv::Mat& D, const cv::Mat& S, int r1, int r2, int c1, int c2) {
  for (int i = r1 - 1; i <= r2 - 1; ++i)
    for (int j = c1 - 1; j <= c2 - 1; ++j)
      at(D, i, j, "ubaciMatricu") = get(S, i - r1 + 1, j - c1 + 1, "ubaciMatricu");
}

void eye(cv::Mat& M) {
  setZero(M, "eye");
  for (int i = 0; i < M.rows && i < M.cols; ++i) at(M, i, i, "eye") = 1.0;
}

void skewsymm(const cv::Mat& v, cv::Mat& S) {
  const double x = get(v, 0, 0, "skewsymm"), y = get(v, 1, 0, "skewsymm"),
               z = get(v, 2, 0, "skewsymm");
  setZero(S, "skewsymm");
  at(S, 1, 2, "skewsymm") = -x;
  at(S, 2, 1, "skewsymm") = x;
  at(S, 0, 2, "skewsymm") = y;
  at(S, 2, 0, "skewsymm") = -y;
  at(S, 0, 1, "skewsymm") = -z;
  at(S, 1, 0, "skewsymm") = z;
}

void diag(const cv::Mat& v, int r1, int /*r2*/, cv::Mat& D, int negate) {
  setZero(D, "diag");
  for (int i = 0; i < D.rows && i < D.cols; ++i) {
    const double value = get(v, r1 - 1 + i, 0, "diag");
    at(D, i, i, "diag") = negate != 0 ? -value : value;
  }
}

void napuniVektor(cv::Mat& v) {
  for (int i = 0; i < v.rows; ++i) at(v, i, 0, "napuniVektor") = i + 1;
}

void matVectMul(const cv::Mat& A, const cv::Mat& x, cv::Mat& y) {
  for (int i = 0; i < A.rows; ++i) {
    double sum = 0.0;
    for (int j = 0; j < A.cols; ++j) sum += get(A, i, j, "matVectMul") * get(x, j, 0, "matVectMul");
    at(y, i, 0, "matVectMul") = sum;
  }
}

void izreziMat(const cv::Mat& S, cv::Mat& D, int r1, int r2, int c1, int c2) {
  for (int i = r1 - 1; i <= r2 - 1; ++i)
    for (int j = c1 - 1; j <= c2 - 1; ++j)
      at(D, i - r1 + 1, j - c1 + 1, "izreziMat") = get(S, i, j, "izreziMat");
}

int signum(double x) {
  if (x < 0) return -1;
  if (x > 0) return 1;
  return 0;
}

void matMul(const cv::Mat& A, const cv::Mat& B, cv::Mat& C) {
  for (int i = 0; i < A.rows; ++i)
    for (int j = 0; j < B.cols; ++j) {
      double sum = 0.0;
      for (int k = 0; k < A.cols; ++k) sum += get(A, i, k, "matMul") * get(B, k, j, "matMul");
      at(C, i, j, "matMul") = sum;
    }
}

void mean2(const cv::Mat& A, cv::Mat& m) {
  for (int i = 0; i < A.rows; ++i) {
    double sum = 0.0;
    for (int j = 0; j < A.cols; ++j) sum += get(A, i, j, "mean2");
    at(m, i, 0, "mean2") = sum / static_cast<double>(A.cols);
  }
}

void ubaciVrijednostiUMat(cv::Mat& M, double v) {
  for (int i = 0; i < M.rows; ++i)
    for (int j = 0; j < M.cols; ++j) at(M, i, j, "ubaciVrijednostiUMat") = v;
}

double namatanje(double a, double b) {
  if (signum(a - 128) != signum(b - 128)) return std::fmod(255 - a - b, 255);
  return std::trunc(a - b);
}

}  // namespace Orvanta
