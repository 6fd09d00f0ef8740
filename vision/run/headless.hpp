// Batch tracking without windows: the same loop as the Start button, fed by a file source,
// one CSV row per five-frame window.
#pragma once

#include <ostream>

#include "options.hpp"

namespace Orvanta {

// Runs the tracking loop on options.camera until the source ends. The calibration and the
// trackbars must already be applied. CSV goes to options.csv, or to standard output when that
// is empty; progress and messages go to err. Returns the exit code: 0; 2 when the run cannot
// start or an output cannot be written (it then ends at its last complete row); 1 when the
// source's pictures change size or format during the run (the rows so far are kept).
int runHeadless(const Options& options, std::ostream& err);

}  // namespace Orvanta
