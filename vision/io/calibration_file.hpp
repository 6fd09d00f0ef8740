// The calibration file: the four ball colours with their thresholds and, optionally, the seven
// trackbar positions, so a calibration survives the program. JSON:
//   {"green": {"rgb": [r, g, b], "threshold": t}, "red": ..., "blue": ..., "yellow": ...,
//    "trackbars": {"IntMedian": 2, "lowInt": 3, ...}, "ball_radius": 0.05,
//    "camera": "camera.yml"}
// Every entry is optional; a ball absent from the file stays as it is. ball_radius, in metres,
// is the landmark balls' size (0.05 when absent); camera names the camera file to use, relative
// to the calibration file's folder.
#pragma once

#include <string>

#include "ball_measurement.hpp"

namespace Orvanta {

// What a calibration file says of the set-up besides colours and trackbars.
struct CalibrationSetup {
  double ballRadius = site::kDefaultBallRadius;
  std::string camera;  // the camera file as the file names it; empty: none
  // What was read otherwise than the file says (a threshold above 255, stored by a click outside
  // the histogram in earlier versions, is read as 255), naming the file; empty: nothing.
  std::string note{};
};

// The camera entry's file, relative to the calibration file's folder unless absolute.
std::string cameraFileOf(const CalibrationSetup& setup, const std::string& calibrationPath);

// Loads path into the ball records (HSV and hsvNorm derived from rgb as the calibration does)
// and the trackbar positions and copies; a ball loaded sets odabran_piksel. On any problem
// nothing changes and error holds one line naming the file and the problem. The file's ball
// radius and camera entry go to *setup (when given); entries it lacks leave it as it was. *text,
// when given, receives the file's text as loaded.
bool loadCalibration(const std::string& path, std::string* error, CalibrationSetup* setup = nullptr,
                     std::string* text = nullptr);

// The same for the text of a calibration file; name stands for the file in the message.
bool applyCalibrationText(const std::string& text, const std::string& name, std::string* error,
                          CalibrationSetup* setup = nullptr);

// Writes the calibrated balls (hsvNorm > 0 or threshold > 0), the seven trackbar copies, a
// ball radius other than the usual one and the camera entry, if any. Entries of the file on disk
// that this program does not write stay (other keys, balls not calibrated here), and so do its
// ball_radius and camera, which may have been changed since they were read; a file that is no
// longer a JSON object is not written over. Atomic and careful: a uniquely named temporary file in
// the same folder, flushed, renamed over path; a symbolic link's target is replaced, the file's
// permissions kept, a read-only file refused. *written, when given, receives the text written.
bool saveCalibration(const std::string& path, std::string* error,
                     const CalibrationSetup& setup = {}, std::string* written = nullptr);

// Applies "IntMedian=2,highIntHough=3" (copy-variable names) to the positions and copies,
// validated as in the file; all or nothing.
bool parseTrackbarAssignments(const std::string& text, std::string* error);

}  // namespace Orvanta
