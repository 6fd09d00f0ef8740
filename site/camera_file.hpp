// Camera files: the user's own camera, as OpenCV's calibration writes it (cv::FileStorage YAML
// or XML: camera_matrix, distortion_coefficients, image_width, image_height) or as a ROS
// camera_info YAML holds it (the same keys, matrices as rows, cols and data, and a
// distortion_model of plumb_bob or rational_polynomial). 4, 5, 8 or 12 distortion
// coefficients: OpenCV's order, k1, k2, p1, p2[, k3[, k4, k5, k6[, s1, s2, s3, s4]]].
#pragma once

#include <optional>
#include <string>

#include "camera_model.hpp"

namespace Orvanta::site {

// Reads and checks a camera file. On a problem: nothing, and *problem says what in one line.
std::optional<CameraModel> readCameraFile(const std::string& path, std::string* problem);

// The same for the file's text.
std::optional<CameraModel> parseCameraText(const std::string& text, std::string* problem);

// The camera at the pictures' size: its intrinsics scaled when the pictures have the aspect
// ratio it was calibrated at (within 1 %); otherwise nothing, and *problem says why.
std::optional<CameraModel> cameraForPictures(const CameraModel& camera, cv::Size pictures,
                                             std::string* problem);

}  // namespace Orvanta::site
