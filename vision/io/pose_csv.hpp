// The headless precise estimates: one CSV row per picture read,
// frame,balls,x,y,z,qw,qx,qy,qz,yaw_deg,rms_px,status, then time_s (the capture time),
// latency_ms (from the picture's arrival to its estimate), quality (-1 without a pose, else 1
// worst to 100 best) and the covariance of position and attitude (cov_x_x, cov_x_y, ... cov_rz_rz:
// the upper triangle row by row; attitude as small turns about the landmark axes, radians).
// The pose's fields are empty without a pose.
#pragma once

#include <string>
#include <vector>

#include "picture_fix.hpp"
#include "row_file.hpp"

namespace Orvanta {

// The header line and one picture's line, newline included.
std::string poseHeader();
std::string poseRow(const PictureFix& fix);

// The rows of a run whose file is opened only once the run has started (a run that cannot start
// leaves an existing file as it was): rows before that wait.
class PoseRows {
 public:
  void add(const PictureFix& fix);
  // Opens path, writes the header and the waiting rows; false when it cannot be written.
  bool open(const std::string& path);
  // A row could not be written; the file ends at the last complete one.
  bool failed() const { return file_.failed(); }

 private:
  RowFile file_;
  std::vector<PictureFix> waiting_;
};

}  // namespace Orvanta
