#include "vehicle_derivative.hpp"

#include <cmath>

#include "mat_ops.hpp"

namespace Orvanta {

namespace {

struct Attitude {
  double phi, theta, psi;
};

// J1: body-frame velocity to earth-frame position rate.
cv::Mat bodyToEarth(const Attitude& a) {
  const double cf = std::cos(a.phi), sf = std::sin(a.phi);
  const double ct = std::cos(a.theta), st = std::sin(a.theta);
  const double cp = std::cos(a.psi), sp = std::sin(a.psi);
  double j1[9] = {cp * ct,
                  cp * st * sf - sp * cf,
                  sp * sf + cp * cf * st,  //
                  sp * ct,
                  cf * cp + sf * st * sp,
                  cf * st * sp - cp * sf,  //
                  -st,
                  ct * sf,
                  cf * ct};
  return cv::Mat(3, 3, CV_64FC1, j1).clone();
}

// J2: body angular velocity to Euler angle rates; singular at theta = +-90 degrees.
cv::Mat attitudeRates(const Attitude& a) {
  const double cf = std::cos(a.phi), sf = std::sin(a.phi);
  const double ct = std::cos(a.theta), tt = std::tan(a.theta);
  double j2[9] = {1.0, sf * tt, cf * tt,  //
                  0.0, cf,      -sf,      //
                  0.0, sf / ct, cf / ct};
  return cv::Mat(3, 3, CV_64FC1, j2).clone();
}

cv::Mat rigidBodyCoriolis(const cv::Mat& nu1, const cv::Mat& nu2, const ModelMatrices& model) {
  const double m = model.m;
  const cv::Mat minusMS1 = scaled(skew(nu1), -m);
  const cv::Mat SrG = skew(model.rG);
  cv::Mat CRB = zeroMat(6, 6);
  ubaciMatricu(CRB, minusMS1 + product(scaled(skew(nu2), -m), SrG), 1, 3, 4, 6);
  ubaciMatricu(CRB, minusMS1 + product(scaled(SrG, m), skew(nu2)), 4, 6, 1, 3);
  ubaciMatricu(CRB, scaled(skew(product(model.I0, nu2)), -1.0), 4, 6, 4, 6);
  return CRB;
}

// Both off-diagonal blocks take -S(A11 nu1 + A12 nu2), which keeps the added-mass Coriolis
// matrix skew-symmetric for a full, symmetric added-mass matrix too.
cv::Mat addedMassCoriolis(const cv::Mat& nu1, const cv::Mat& nu2, const cv::Mat& MA) {
  const cv::Mat A11 = block(MA, 1, 3, 1, 3), A12 = block(MA, 1, 3, 4, 6);
  const cv::Mat A21 = block(MA, 4, 6, 1, 3), A22 = block(MA, 4, 6, 4, 6);
  const cv::Mat linear = scaled(skew(product(A11, nu1) + product(A12, nu2)), -1.0);
  const cv::Mat angular = scaled(skew(product(A21, nu1) + product(A22, nu2)), -1.0);
  cv::Mat CA = zeroMat(6, 6);
  ubaciMatricu(CA, linear, 1, 3, 4, 6);
  ubaciMatricu(CA, linear, 4, 6, 1, 3);
  ubaciMatricu(CA, angular, 4, 6, 4, 6);
  return CA;
}

cv::Mat totalDamping(const cv::Mat& nu, const ModelMatrices& model) {
  const cv::Mat diagPomPolje = cv::abs(nu);
  cv::Mat absVelocities = newMat(6, 6);
  diag(diagPomPolje, 1, 6, absVelocities, 0);
  return model.D + product(model.Dn, absVelocities);
}

// g: weight and buoyancy act along the earth z axis (down); in the body frame they give a
// force and, through rG and rB, a moment.
cv::Mat restoringForces(const cv::Mat& J1, const FlowCoefficients& c, const ModelMatrices& model) {
  const cv::Mat J1inv = inverse(J1);
  const cv::Mat fG = product(J1inv, column({0.0, 0.0, c.f[8]}));
  const cv::Mat fB = product(J1inv, column({0.0, 0.0, -c.f[9]}));
  cv::Mat g = newMat(6, 1);
  ubaciMatricu(g, scaled(fG + fB, -1.0), 1, 3, 1, 1);
  ubaciMatricu(g, scaled(model.rG.cross(fG) + model.rB.cross(fB), -1.0), 4, 6, 1, 1);
  return g;
}

struct Forces {
  cv::Mat C;   // Coriolis and centripetal, rigid body plus added mass
  cv::Mat Dt;  // total damping
  cv::Mat d1;  // flow forces
  cv::Mat d2;  // rate damping
  cv::Mat g;   // restoring forces
};

// Minv (tau - C nu - Dt nu + d1 + d2 - g), term by term in this order.
cv::Mat acceleration(const cv::Mat& Minv, const Forces& F, const cv::Mat& tau, const cv::Mat& nu) {
  const cv::Mat nudot1 = scaled(product(product(Minv, F.C), nu), -1.0);
  const cv::Mat dampingPom = product(F.Dt, nu) - F.d1;
  const cv::Mat nudot2 = nudot1 - product(Minv, dampingPom - F.d2);
  const cv::Mat withRestoring = nudot2 - product(Minv, F.g);
  return withRestoring + product(Minv, tau);
}

cv::Mat blockDiagonal(const cv::Mat& J1, const cv::Mat& J2) {
  cv::Mat J = zeroMat(6, 6);
  ubaciMatricu(J, J1, 1, 3, 1, 3);
  ubaciMatricu(J, J2, 4, 6, 4, 6);
  return J;
}

}  // namespace

cv::Mat stateDerivative(const cv::Mat& x, const cv::Mat& tau, const FlowCoefficients& c,
                        const ModelMatrices& model) {
  const cv::Mat nu = block(x, 1, 6, 1, 1);
  const cv::Mat nu1 = block(x, 1, 3, 1, 1), nu2 = block(x, 4, 6, 1, 1);
  const Attitude attitude{x.at<double>(9, 0), x.at<double>(10, 0), x.at<double>(11, 0)};
  const cv::Mat J1 = bodyToEarth(attitude);
  const Forces forces{rigidBodyCoriolis(nu1, nu2, model) + addedMassCoriolis(nu1, nu2, model.MA),
                      totalDamping(nu, model), flowForces(nu, c), rateDamping(nu, c),
                      restoringForces(J1, c, model)};
  const cv::Mat Minv = inverse(model.MRB + model.MA);
  cv::Mat xdot = newMat(12, 1);
  ubaciMatricu(xdot, acceleration(Minv, forces, tau.clone(), nu), 1, 6, 1, 1);
  ubaciMatricu(xdot, product(blockDiagonal(J1, attitudeRates(attitude)), nu), 7, 12, 1, 1);
  return xdot;
}

}  // namespace Orvanta
