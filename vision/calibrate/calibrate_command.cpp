#include "calibrate_command.hpp"

#include <CLI/CLI.hpp>
#include <cstdio>
#include <opencv2/calib3d.hpp>
#include <opencv2/highgui.hpp>
#include <opencv2/imgproc.hpp>
#include <optional>

#include "atomic_file.hpp"
#include "camera.hpp"
#include "camera_calibration.hpp"
#include "options.hpp"
#include "output_guard.hpp"
#include "state.hpp"

namespace Orvanta {

namespace {

constexpr const char* kWindow = "Kalibracija kamere";

struct Arguments {
  std::string camera, board, out;
  double square = 0;
  bool headless = false;
};

std::optional<cv::Size> boardCorners(const std::string& text) {
  int columns = 0, rows = 0, used = 0;
  if (std::sscanf(text.c_str(), "%dx%d%n", &columns, &rows, &used) != 2 ||
      used != int(text.size()) || columns < 3 || rows < 3 || columns > 100 || rows > 100)
    return std::nullopt;
  return cv::Size(columns, rows);
}

void declare(CLI::App& app, Arguments& args) {
  app.add_option("--camera", args.camera, "Device index, video file or image-sequence pattern")
      ->required();
  app.add_option("--board", args.board, "Inner corners of the chessboard, COLSxROWS (e.g. 9x6)")
      ->required()
      ->check([](const std::string& text) {
        return boardCorners(text) ? std::string() : "expected COLSxROWS, 3 to 100 each";
      });
  app.add_option("--square", args.square, "Side of a square of the chessboard, metres")
      ->required()
      ->check(CLI::Range(0.001, 1.0));
  app.add_option("--out", args.out, "Camera file to write (OpenCV YAML)")->required();
  app.add_flag("--headless", args.headless,
               "No live view: read the whole source (a recording) and calibrate");
}

// The picture with the board's corners as found, every kept view's corners as dots and the
// count so far.
void showProgress(const cv::Mat& bgr, const ViewCollector& views) {
  cv::Mat shown = bgr.clone();
  for (const BoardView& view : views.views())
    for (const cv::Point2f& p : view.corners) cv::circle(shown, p, 1, {0, 200, 0}, cv::FILLED);
  if (!views.lastCorners().empty())
    cv::drawChessboardCorners(shown, views.board().corners, views.lastCorners(), true);
  const std::string text = std::to_string(views.views().size()) + " pogleda, pokriveno " +
                           std::to_string(int(100 * views.coverage())) + " % slike (q: kraj)";
  cv::putText(shown, text, {8, 20}, cv::FONT_HERSHEY_SIMPLEX, 0.5, {0, 255, 255}, 1, cv::LINE_AA);
  cv::imshow(kWindow, shown);
}

// Offers every picture of the source to the collector; the live view ends early on q or Esc.
std::optional<ViewCollector> collectViews(const Arguments& args, BoardSpec board,
                                          std::ostream& err) {
  cv::Mat picture;
  PictureProblem problem;
  if (!openCamera(args.camera) || !queryFrame(picture, &problem)) {
    err << "orvanta calibrate-camera: camera source '" << args.camera << "' "
        << (problem ? problem.console : "cannot be opened or gives no picture") << '\n';
    return std::nullopt;
  }
  ViewCollector views(board, picture.size());
  int index = 0;
  do {
    views.offer(picture, index++);
    if (args.headless) continue;
    showProgress(picture, views);
    const int key = cv::waitKey(1);
    if (key == 'q' || key == 27) break;
  } while (queryFrame(picture));
  capture.release();
  if (!args.headless) cv::destroyWindow(kWindow);
  return views;
}

void report(const CameraCalibration& c, const ViewCollector& views, std::ostream& out) {
  char line[200];
  out << "views: " << views.views().size() << " chosen of " << views.found()
      << " pictures with the board (" << views.pictures() << " read)\n";
  std::snprintf(line, sizeof line, "rms reprojection error: %.3f px\n", c.rmsPx);
  out << line << "per view (picture: px):";
  for (std::size_t i = 0; i < c.viewRmsPx.size(); ++i) {
    std::snprintf(line, sizeof line, " %d: %.3f", views.views()[i].picture, c.viewRmsPx[i]);
    out << line;
  }
  const cv::Matx33d& k = c.camera.intrinsics;
  const site::Distortion& d = c.camera.distortion;
  std::snprintf(line, sizeof line,
                "\ncoverage: %.0f %% of the picture; largest tilt: %.0f degrees\n"
                "fx %.3f fy %.3f cx %.3f cy %.3f; k1 %.5f k2 %.5f p1 %.5f p2 %.5f k3 %.5f\n",
                100 * c.coverage, c.largestTiltDegrees, k(0, 0), k(1, 1), k(0, 2), k(1, 2), d[0],
                d[1], d[2], d[3], d[4]);
  out << line;
  for (const std::string& warning : c.warnings) out << "warning: " << warning << '\n';
}

}  // namespace

int runCalibrateCamera(int argc, const char* const* argv, std::ostream& out, std::ostream& err,
                       const std::function<bool()>& openWindows) {
  CLI::App app{"Calibrates a camera from a chessboard filmed in water: live or recorded.",
               "orvanta calibrate-camera"};
  Arguments args;
  declare(app, args);
  if (const auto code = parseCommandLine(app, argc, argv, out, err)) return *code;
  if (const auto clash = sourceClash("--out", args.out, args.camera)) {
    err << "orvanta calibrate-camera: " << *clash << '\n';
    return 2;
  }
  if (!args.headless && !openWindows()) {
    err << "orvanta calibrate-camera: no display for the live view; add --headless to calibrate "
           "from a recording\n";
    return 2;
  }
  const std::optional<ViewCollector> views =
      collectViews(args, {*boardCorners(args.board), args.square}, err);
  if (!views) return 2;
  const std::optional<CameraCalibration> calibration = calibrateCamera(*views);
  if (!calibration) {
    err << "orvanta calibrate-camera: " << views->views().size() << " different views of the "
        << args.board << " board in " << views->pictures() << " pictures; a calibration needs "
        << kLeastViews << " (nothing written)\n";
    return 1;
  }
  report(*calibration, *views, out);
  std::string problem;
  if (!replaceFile(args.out, cameraFileText(*calibration, int(views->views().size())), &problem)) {
    err << "orvanta calibrate-camera: " << args.out << ": " << problem << '\n';
    return 2;
  }
  out << "wrote " << args.out << '\n';
  return 0;
}

}  // namespace Orvanta
