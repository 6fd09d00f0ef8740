// Small matrix toolkit over one-channel double matrices (CV_64FC1), shared by both programs.
//
// Conventions:
//  - Element access is 0-based; the block ranges r1..r2, c1..c2 are 1-based and inclusive.
//  - No function allocates, resizes or releases a matrix: destinations are created by the
//    caller with the size the operation writes.
//  - Every element access is checked. An index outside a matrix, or a matrix that is not
//    CV_64FC1, is a broken caller contract: the toolkit prints what was reached to stderr and
//    aborts, in every build type. Neither program reaches it.
#pragma once

#include <opencv2/core.hpp>

namespace Orvanta {

// Prints M (or rows r1..r2, columns c1..c2 of it) to stdout: each element in a field of 13,
// default stream formatting, a line per row, then one empty line.
void ispis(const cv::Mat& M);
void ispis2(const cv::Mat& M, int r1, int r2, int c1, int c2);

// B(i, j) = A(i, j) * s over A's size; B may be A.
void matMulScalar(const cv::Mat& A, cv::Mat& B, double s);
// D(i, j) = S(r1 - 1 + i, c1 - 1 + j): block of S into the top-left corner of D.
void ubaciDioMatrice(cv::Mat& D, const cv::Mat& S, int r1, int r2, int c1, int c2);
// Top-left block of S into rows r1..r2, columns c1..c2 of D.
void ubaciMatricu(cv::Mat& D, const cv::Mat& S, int r1, int r2, int c1, int c2);
// Zeroes M, then ones on the main diagonal.
void eye(cv::Mat& M);
// S = cross-product matrix of the 3x1 vector v, so that S * w = v x w.
void skewsymm(const cv::Mat& v, cv::Mat& S);
// Zeroes D, then D(i, i) = v(r1 - 1 + i), negated when negate != 0; D's size sets the count
// and r2 is not consulted.
void diag(const cv::Mat& v, int r1, int r2, cv::Mat& D, int negate);
// v(i) = i + 1.
void napuniVektor(cv::Mat& v);
// y = A * x; y must not be A or x.
void matVectMul(const cv::Mat& A, const cv::Mat& x, cv::Mat& y);
// Same block copy as ubaciDioMatrice with the source first.
void izreziMat(const cv::Mat& S, cv::Mat& D, int r1, int r2, int c1, int c2);
// -1, 0 or +1; zero, negative zero and NaN give 0.
int signum(double x);
// C = A * B; C must not be A or B.
void matMul(const cv::Mat& A, const cv::Mat& B, cv::Mat& C);
// m(i) = mean of row i of A.
void mean2(const cv::Mat& A, cv::Mat& m);
// Every element of M = v.
void ubaciVrijednostiUMat(cv::Mat& M, double v);
// Difference of two values on a 0..255 scale with its midpoint at 128.
double namatanje(double a, double b);

}  // namespace Orvanta
