// The calibration file: the four ball colours with their thresholds and, optionally, the seven
// trackbar positions, so a calibration survives the program. JSON:
//   {"green": {"rgb": [r, g, b], "threshold": t}, "red": ..., "blue": ..., "yellow": ...,
//    "trackbars": {"IntMedian": 2, "lowInt": 3, ...}, "ball_radius": 0.05}
// Every entry is optional; a ball absent from the file stays as it is. ball_radius, in metres,
// is the landmark balls' size for the precise estimate (0.05 when absent).
#pragma once

#include <string>

#include "ball_measurement.hpp"

namespace Orvanta {

// Loads path into the ball records (HSV and hsvNorm derived from rgb as the calibration does)
// and the trackbar positions and copies; a ball loaded sets odabran_piksel. On any problem
// nothing changes and error holds one line naming the file and the problem. A ball radius in
// the file goes to *ballRadius (when given).
bool loadCalibration(const std::string& path, std::string* error, double* ballRadius = nullptr);

// The same for the text of a calibration file; name stands for the file in the message.
bool applyCalibrationText(const std::string& text, const std::string& name, std::string* error,
                          double* ballRadius = nullptr);

// Writes the calibrated balls (hsvNorm > 0 or threshold > 0), the seven trackbar copies and a
// ball radius other than the usual one. Atomic and careful: a uniquely named temporary file in
// the same folder, flushed, renamed over path; a symbolic link's target is replaced, the file's
// permissions kept, a read-only file refused.
bool saveCalibration(const std::string& path, std::string* error,
                     double ballRadius = site::kDefaultBallRadius);

// Applies "IntMedian=2,highIntHough=3" (copy-variable names) to the positions and copies,
// validated as in the file; all or nothing.
bool parseTrackbarAssignments(const std::string& text, std::string* error);

}  // namespace Orvanta
