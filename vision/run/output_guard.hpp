// Outputs that would destroy an input: a table written over the video, a picture of the
// sequence or the calibration file it reads, or two tables into one file.
#pragma once

#include <optional>
#include <string>

#include "options.hpp"

namespace Orvanta {

// Why the options' outputs cannot be written, one line naming the option; nothing when they can.
std::optional<std::string> outputClash(const Options& options);

// Why `file`, the output `option` names, cannot be written: it is the camera source's input (the
// video, or a picture of the sequence). Nothing when it is not.
std::optional<std::string> sourceClash(const char* option, const std::string& file,
                                       const std::string& source);

}  // namespace Orvanta
