// The headless precise estimates: one CSV row per picture read,
// frame,balls,x,y,z,qw,qx,qy,qz,yaw_deg,rms_px,status; numeric fields empty without a pose.
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
