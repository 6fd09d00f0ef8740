// quellmar simulate: the vehicle model stepped through time, with simulated measurements and
// the camera poses of the run for the scene generator.
#pragma once

#include <ostream>

namespace Orvanta {

// argv[0] is "simulate". Returns the exit code: 0; 2 for bad input (one line on err, nothing
// written); 1 when the state stops being a number or an output cannot be written (the rows so
// far kept).
int simulateCommand(int argc, const char* const* argv, std::ostream& err);

}  // namespace Orvanta
