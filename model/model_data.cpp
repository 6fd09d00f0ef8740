#include "model_data.hpp"

#include "matrix_toolkit.hpp"
#include "model_constants.hpp"

namespace Orvanta {

namespace {

// Yaw inertia and yaw damping were identified in degree units; these convert them.
constexpr double Iz = 0.000711 / degToRad * 1.0 / 2;
constexpr double Nr = -(0.00002255 / integerPower(degToRad, 2));

}  // namespace

constinit std::array<double, 12> landmarkCoords = {x1, x2, x3, x4, y1, y2, y3, y4, z1, z2, z3, z4};
constinit std::array<double, 3> nu10Values = {0.1, 0.0, 0.0};
constinit std::array<double, 3> nu20Values = {0.0, 0.0, 0.0};
constinit std::array<double, 3> eta10Values = {0.0, 0.0, 0.0};
constinit std::array<double, 3> eta20Values = {0.0, 0.0, 0.0};
constinit std::array<double, 13> bodyParamsValues = {0.02275, 0.02391, Iz,  0.0, 0.0, 0.0, 4.5,
                                                     0.0,     0.0,     0.0, 0.0, 0.0, -0.1};
constinit std::array<double, 12> hydroParamsValues = {0.0,      -8.0149, -3.702, -0.0, -0.0, -0.0,
                                                      -38.2845, -23.689, 0.0,    -0.1, -0.1, Nr};
constinit std::array<double, 6> quadDampParamsValues = {-1.9404, -6.0572, -3.9404,
                                                        -0.0326, -0.0175, -Iz};
constinit std::array<double, 6> liftParamsValues = {0.0, 0.0, 0.0, -0.0, -0.0, 0.0};
constinit std::array<double, 10> flowParamsValues = {-0.0, -0.0, 0.0, 0.0,  0.0,
                                                     0.0,  0.0,  0.0, 45.0, 45.0};

// Own storage until setUpModelData points the parameter matrices at their arrays.
cv::Mat landmarks = cv::Mat::zeros(3, 4, CV_64FC1);
cv::Mat nu10 = cv::Mat::zeros(3, 1, CV_64FC1);
cv::Mat nu20 = cv::Mat::zeros(3, 1, CV_64FC1);
cv::Mat eta10 = cv::Mat::zeros(3, 1, CV_64FC1);
cv::Mat eta20 = cv::Mat::zeros(3, 1, CV_64FC1);
cv::Mat bodyParams = cv::Mat::zeros(13, 1, CV_64FC1);
cv::Mat hydroParams = cv::Mat::zeros(12, 1, CV_64FC1);
cv::Mat quadDampParams = cv::Mat::zeros(6, 1, CV_64FC1);
cv::Mat liftParams = cv::Mat::zeros(6, 1, CV_64FC1);
cv::Mat flowParams = cv::Mat::zeros(10, 1, CV_64FC1);
cv::Mat state = cv::Mat::zeros(12, 1, CV_64FC1);
cv::Mat modelOutput = cv::Mat::zeros(12, 1, CV_64FC1);
cv::Mat rangeVector = cv::Mat::zeros(4, 1, CV_64FC1);
cv::Mat measurement = cv::Mat::zeros(4, 1, CV_64FC1);

namespace {

// Same size, storage taken over from the array.
template <std::size_t N>
void pointAt(cv::Mat& matrix, std::array<double, N>& values) {
  matrix = cv::Mat(matrix.rows, matrix.cols, CV_64FC1, values.data());
}

void bindParameterMatrices() {
  pointAt(nu10, nu10Values);
  pointAt(nu20, nu20Values);
  pointAt(eta10, eta10Values);
  pointAt(eta20, eta20Values);
  pointAt(bodyParams, bodyParamsValues);
  pointAt(hydroParams, hydroParamsValues);
  pointAt(quadDampParams, quadDampParamsValues);
  pointAt(liftParams, liftParamsValues);
  pointAt(flowParams, flowParamsValues);
  pointAt(landmarks, landmarkCoords);
}

void convertAttitudeToRadians() {
  const cv::Mat eta20Pom = eta20.clone();
  matMulScalar(eta20Pom, eta20, degToRad);
}

}  // namespace

void setUpModelData() {
  bindParameterMatrices();
  convertAttitudeToRadians();
}

}  // namespace Orvanta
