// Outputs that would destroy an input: a table written over the video, a picture of the
// sequence or the calibration file it reads, or two tables into one file.
#pragma once

#include <optional>
#include <string>

#include "options.hpp"

namespace Orvanta {

// Why the options' outputs cannot be written, one line naming the option; nothing when they can.
std::optional<std::string> outputClash(const Options& options);

}  // namespace Orvanta
