// The vehicle's pose from the camera's.
//
// The landmark frame has its origin at the first ball's centre, z up; the layout's heading is the
// direction of its x axis, degrees clockwise from north, so its y axis points 90 degrees
// anticlockwise of that (west at heading 0). The autopilot's frame points north, east and down
// with the same origin. The body frame points forward, right and down. The camera frame points
// right, down and forward in the picture.
#pragma once

#include <opencv2/core.hpp>

#include "camera_pose.hpp"

namespace Orvanta::vehicle {

// Where the camera sits on the vehicle.
struct Mounting {
  cv::Vec3d offset{0, 0, 0};  // the camera's centre in the body frame, metres
  // Columns: the camera's right, down and forward in body axes. The default looks straight down
  // with the picture's top towards the bow: right is starboard, down is aft.
  cv::Matx33d cameraToBody{0, -1, 0, 1, 0, 0, 0, 0, 1};
};

// A mounting turned from looking straight down by these angles (degrees, about the body's
// axes: roll about forward, then pitch about right, then yaw about down), at that offset.
Mounting mountingOf(const cv::Vec3d& offset, double rollDeg, double pitchDeg, double yawDeg);

struct VehiclePose {
  cv::Vec3d position;      // of the body's origin: north, east, down, metres
  cv::Vec4d quaternion;    // w, x, y, z: body to north-east-down
  cv::Vec3d eulerRadians;  // roll, pitch, yaw (z-y-x), as autopilots read them
  // Of the position and of roll, pitch and yaw, from the camera's through the same transform to
  // first order; NaN where the camera's is unknown, and for the angles at pitch +-90 degrees.
  cv::Matx<double, 6, 6> covariance;
};

cv::Matx33d landmarkToNed(double headingDegrees);

// The camera's pose must be valid.
VehiclePose vehiclePose(const pose::CameraPose& camera, double headingDegrees,
                        const Mounting& mounting);

}  // namespace Orvanta::vehicle
