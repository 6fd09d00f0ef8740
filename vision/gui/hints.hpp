// The hint line of the operator window: what the running activity expects and how to end it,
// which source could not be opened, what became of the calibration file. The status box keeps
// the activities' own texts.
#pragma once

#include <string>

namespace Orvanta::hints {

// Between activities: what the buttons do, and the source if it cannot be opened.
std::string idle(const std::string& source, bool sourceOpens);
std::string sourceUnavailable(const std::string& source);

// The tracking run read its source to the end.
std::string sourceEnded(int pictures);

std::string previewRunning();
std::string calibrationRunning();
// Ball 1..4 calibrated alone, and what became of it.
std::string ballCalibrationRunning(int ball);
std::string ballCalibrationDone(int ball, bool done);
std::string trackingRunning();

// After the calibration: all four balls, or ended with "n" after `balls` of them.
std::string calibrationDone();
std::string calibrationEnded(int balls);

std::string calibrationLoaded(const std::string& file);
// error names the file.
std::string calibrationUnreadable(const std::string& error);
// Added at start-up when the calibration file's camera entry names a file that cannot serve.
std::string cameraFileUnreadable(const std::string& error);
// Added after a calibration when the file (its name is shown) could not be read at start-up.
std::string calibrationNotSaved(const std::string& file);

}  // namespace Orvanta::hints
