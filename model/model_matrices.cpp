#include "model_matrices.hpp"

#include "mat_ops.hpp"
#include "model_data.hpp"

namespace Orvanta {

namespace {

cv::Mat initialState() {
  cv::Mat x0 = newMat(12, 1);
  ubaciMatricu(x0, nu10, 1, 3, 1, 1);
  ubaciMatricu(x0, nu20, 4, 6, 1, 1);
  ubaciMatricu(x0, eta10, 7, 9, 1, 1);
  ubaciMatricu(x0, eta20, 10, 12, 1, 1);
  return x0;
}

// Moments of inertia on the diagonal, products of inertia (Ixy, Iyz, Ixz) negated off it.
cv::Mat inertiaMatrix(const cv::Mat& b) {
  auto at = [&b](int row) { return b.at<double>(row, 0); };
  return (cv::Mat_<double>(3, 3) << at(0), -at(3), -at(5),  //
          -at(3), at(1), -at(4),                            //
          -at(5), -at(4), at(2));
}

cv::Mat rigidBodyMass(double m, const cv::Mat& rG, const cv::Mat& I0) {
  cv::Mat eye33mPom = newMat(3, 3);
  eye(eye33mPom);
  const cv::Mat SrG = skew(rG);
  cv::Mat MRB = newMat(6, 6);
  ubaciMatricu(MRB, scaled(eye33mPom, m), 1, 3, 1, 3);
  ubaciMatricu(MRB, scaled(SrG, -m), 1, 3, 4, 6);
  ubaciMatricu(MRB, scaled(SrG, m), 4, 6, 1, 3);
  ubaciMatricu(MRB, I0, 4, 6, 4, 6);
  return MRB;
}

// The parameters are hydrodynamic derivatives (negative); the matrices carry them negated.
cv::Mat negatedDiagonal(const cv::Mat& params, int firstRow) {
  cv::Mat result = newMat(6, 6);
  diag(params, firstRow, firstRow + 5, result, 1);
  return result;
}

}  // namespace

ModelMatrices formModelMatrices() {
  ModelMatrices model;
  model.x0 = initialState();
  model.m = bodyParams.at<double>(6, 0);
  model.rG = block(bodyParams, 8, 10, 1, 1);
  model.rB = block(bodyParams, 11, 13, 1, 1);
  model.I0 = inertiaMatrix(bodyParams);
  model.MRB = rigidBodyMass(model.m, model.rG, model.I0);
  model.MA = negatedDiagonal(hydroParams, 1);
  model.D = negatedDiagonal(hydroParams, 7);
  model.Dn = negatedDiagonal(quadDampParams, 1);
  return model;
}

}  // namespace Orvanta
