#include "options.hpp"

#include <CLI/CLI.hpp>

#include "calibration_file.hpp"
#include "camera_file.hpp"
#include "layout_file.hpp"

namespace Orvanta {

std::optional<int> parseCommandLine(CLI::App& app, int argc, const char* const* argv,
                                    std::ostream& out, std::ostream& err) {
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp&) {
    out << app.help();
    return 0;
  } catch (const CLI::ParseError& error) {
    err << app.get_name() << ": " << error.what() << "\nRun with --help for the options.\n";
    return 2;
  }
  return std::nullopt;
}

std::optional<int> parseOptions(int argc, const char* const* argv, Options& options,
                                std::ostream& out, std::ostream& err) {
  CLI::App app{"Orvanta: camera-based localisation from four coloured landmark balls.", "orvanta"};
  app.add_option("--camera", options.camera,
                 "Camera source: device index, video file or image-sequence pattern such as "
                 "dir/frame_%05d.png")
      ->capture_default_str();
  app.add_option("--calibration", options.calibration,
                 "Calibration file (JSON) with the ball colours, thresholds and trackbars");
  app.add_option("--fps", options.fps,
                 "Pictures per second an image sequence was taken at: the window plays it at this "
                 "rate (a video plays at its own, a camera at its own), and its pictures' capture "
                 "times follow from it; headless runs go as fast as they can")
      ->check(CLI::Range(0.1, 1000.0))
      ->capture_default_str();
  auto* headless = app.add_flag("--headless", options.headless,
                                "Track without windows until the source ends; write CSV");
  app.add_option("--csv", options.csv,
                 "Headless CSV output file of the range solver (default: standard output; with "
                 "--poses or --mavlink and no --csv the range solver does not run)")
      ->needs(headless);
  app.add_option("--trackbars", options.trackbars,
                 "Trackbar positions by name, e.g. IntMedian=2,highIntHough=3 (IntMedian, lowInt, "
                 "highInt, lowIntFilt, highIntFilt, lowIntHough, highIntHough)");
  app.add_flag("--verbose", options.verbose, "Headless: print every operator-window text to stderr")
      ->needs(headless);
  app.add_option("--poses", options.poses,
                 "Headless: the precise camera pose of every picture read, as CSV "
                 "(frame,balls,x,y,z,qw,qx,qy,qz,yaw_deg,rms_px,status,time_s,latency_ms,"
                 "quality, then the covariance cov_x_x .. cov_rz_rz)")
      ->needs(headless);
  app.add_option("--camera-model", options.cameraModel,
                 "Camera file: OpenCV calibration YAML/XML (camera_matrix, "
                 "distortion_coefficients, image_width, image_height) or ROS camera_info YAML; "
                 "default: the vehicle camera of 320x240 scaled to the pictures");
  app.add_option("--layout", options.layoutFile,
                 "Landmark layout file (JSON): the balls' centres, radius and heading; default: "
                 "the 0.7 m x 0.51 m rectangle of 5 cm balls");
  addLinkOptions(app, options.link);
  app.add_flag("--keep-video-file", options.keepVideoFile,
               "Keep the empty video file every tracking run opens (out1.avi, in a new folder "
               "of the user's own under the temporary folder; its path is printed). By default "
               "it is removed when the run ends");
  return parseCommandLine(app, argc, argv, out, err);
}

bool readCamera(const std::string& path, std::optional<site::CameraModel>& camera,
                std::string& error) {
  camera = site::readCameraFile(path, &error);
  if (!camera) error = path + ": " + error;
  return camera.has_value();
}

namespace {

bool readSetupFiles(Options& options, std::string& error) {
  if (!options.cameraModel.empty() && !readCamera(options.cameraModel, options.cameraFile, error))
    return false;
  if (!options.layoutFile.empty()) {
    const std::optional<site::LandmarkLayout> layout =
        site::readLayoutFile(options.layoutFile, &error);
    if (!layout) {
      error = options.layoutFile + ": " + error;
      return false;
    }
    options.layout = *layout;
  }
  return true;
}

}  // namespace

bool readSetupFiles(Options& options, std::ostream& err) {
  std::string error;
  if (readSetupFiles(options, error)) return true;
  err << "orvanta: " << error << '\n';
  return false;
}

bool applySettings(Options& options, std::ostream& err) {
  if (!readSetupFiles(options, err)) return false;
  std::string error;
  CalibrationSetup setup{options.layout.ballRadius, ""};
  if (!options.calibration.empty() && !loadCalibration(options.calibration, &error, &setup)) {
    err << "orvanta: " << error << '\n';
    return false;
  }
  if (!setup.note.empty()) err << "orvanta: " << setup.note << '\n';
  if (options.layoutFile.empty())
    options.layout.ballRadius = setup.ballRadius;
  else if (setup.ballRadius != options.layout.ballRadius)
    err << "orvanta: the ball radius is the layout file's (" << options.layout.ballRadius
        << " m); the calibration file's ball_radius " << setup.ballRadius << " is not used\n";
  // --camera-model wins over the calibration file's camera entry.
  if (options.cameraModel.empty() && !setup.camera.empty() &&
      !readCamera(cameraFileOf(setup, options.calibration), options.cameraFile, error)) {
    err << "orvanta: " << options.calibration << ": camera: " << error << '\n';
    return false;
  }
  if (!options.trackbars.empty() && !parseTrackbarAssignments(options.trackbars, &error)) {
    err << "orvanta: --trackbars: " << error << '\n';
    return false;
  }
  return true;
}

}  // namespace Orvanta
