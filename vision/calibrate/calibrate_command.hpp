// orvanta calibrate-camera: a camera model from a chessboard filmed live or recorded, with a
// report that says whether to trust it, written as OpenCV's camera file.
#pragma once

#include <functional>
#include <ostream>

namespace Orvanta {

// Runs the command on its arguments (those after "calibrate-camera"). The report goes to out,
// problems to err; returns the exit code: 0 written, 1 too few views of the board (nothing
// written), 2 a usage error, a source that cannot be read or a file that cannot be written.
// openWindows is called once before the live view; false: there is no display for it.
int runCalibrateCamera(int argc, const char* const* argv, std::ostream& out, std::ostream& err,
                       const std::function<bool()>& openWindows);

}  // namespace Orvanta
