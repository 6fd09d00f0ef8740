// The headless precise estimates: one CSV row per picture read,
// frame,balls,x,y,z,qw,qx,qy,qz,yaw_deg,rms_px,status; numeric fields empty without a pose.
#pragma once

#include <fstream>
#include <ostream>
#include <string>
#include <vector>

#include "precise_pose.hpp"

namespace Orvanta {

void writePoseHeader(std::ostream& out);
void writePoseRow(std::ostream& out, const PictureFix& fix);

// The rows of a run whose file is opened only once the run has started (a run that cannot start
// leaves an existing file as it was): rows before that wait.
class PoseRows {
 public:
  void add(const PictureFix& fix);
  // Opens path, writes the header and the waiting rows; false when it cannot be written.
  bool open(const std::string& path);
  // False when a row could not be written.
  bool finish();

 private:
  std::ofstream file_;
  std::vector<PictureFix> waiting_;
};

}  // namespace Orvanta
