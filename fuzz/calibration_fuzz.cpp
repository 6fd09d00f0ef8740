// Fuzzes the calibration file's parser and the trackbar list's: any text is refused with a
// one-line message or applied, never a crash.
#include <cstddef>
#include <cstdint>
#include <string>

#include "calibration_file.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::string error;
  Orvanta::CalibrationSetup setup;
  if (!Orvanta::applyCalibrationText(text, "fuzz.json", &error, &setup) &&
      error.find('\n') != std::string::npos)
    __builtin_trap();  // a message of more than one line
  Orvanta::parseTrackbarAssignments(text, &error);
  return 0;
}
