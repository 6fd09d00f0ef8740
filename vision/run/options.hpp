// The command line of the orvanta program, and the settings it names.
#pragma once

#include <optional>
#include <ostream>
#include <string>

#include "camera_model.hpp"
#include "landmark_layout.hpp"
#include "link_options.hpp"

namespace CLI {
class App;
}

namespace Orvanta {

struct Options {
  std::string camera = "0";  // device index, video file or image-sequence pattern
  std::string calibration;   // calibration file to load, if any
  bool headless = false;
  std::string csv;             // headless output file; empty for standard output
  std::string trackbars;       // "IntMedian=2,highIntHough=3"
  bool verbose = false;        // headless: print every text of the operator window
  std::string poses;           // headless: the precise estimate of every picture, CSV
  double fps = 30;             // window: the rate an image sequence plays at
  bool keepVideoFile = false;  // keep each run's empty video file
  std::string cameraModel;     // the user's camera file, if any
  std::string layoutFile;      // the user's landmark layout file, if any
  LinkOptions link;            // to the vehicle's autopilot, if any
  // What applySettings read: the layout file's landmark, or the design's with the calibration
  // file's ball radius; the camera file's camera.
  site::LandmarkLayout layout = site::defaultLayout();
  std::optional<site::CameraModel> cameraFile;
};

// Parses a command line with the app's options. Returns the exit code to stop with (0 after
// --help, 2 after a usage error, both already printed, the error naming the app), or nothing
// when the program should run.
std::optional<int> parseCommandLine(CLI::App& app, int argc, const char* const* argv,
                                    std::ostream& out, std::ostream& err);

// Parses the command line into options. Returns the exit code to stop with (0 after --help,
// 2 after a usage error, both already printed), or nothing when the program should run.
std::optional<int> parseOptions(int argc, const char* const* argv, Options& options,
                                std::ostream& out, std::ostream& err);

// Reads the camera file at path into camera; false with "path: problem" in error.
bool readCamera(const std::string& path, std::optional<site::CameraModel>& camera,
                std::string& error);

// Reads the camera and layout files the options name. On a problem it prints one line to err
// and returns false.
bool readSetupFiles(Options& options, std::ostream& err);

// Reads the camera and layout files, loads the calibration file and applies the trackbar list
// the options name. On a problem it prints one line to err and returns false. A calibration
// file's ball radius that differs from a layout file's is not used; a line says so.
bool applySettings(Options& options, std::ostream& err);

}  // namespace Orvanta
