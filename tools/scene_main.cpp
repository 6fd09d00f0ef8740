// orvanta-scene: renders a synthetic dive (or a fixed view) to numbered PNG frames, their
// ground truth, a calibration file for the vision program and optionally a video.
#include <CLI/CLI.hpp>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <map>
#include <optional>

#include "camera_file.hpp"
#include "layout_file.hpp"
#include "scene.hpp"

namespace {

using namespace Orvanta::scene;

constexpr int kUsageExit = 2, kWriteExit = 2;

std::optional<cv::Size> parseSize(const std::string& text, int smallest = 16) {
  int width = 0, height = 0, used = 0;
  if (std::sscanf(text.c_str(), "%dx%d%n", &width, &height, &used) != 2 || used != int(text.size()))
    return std::nullopt;
  if (width < smallest || height < smallest || width > 4096 || height > 4096) return std::nullopt;
  return cv::Size(width, height);
}

struct Arguments {
  std::string out, video, size = "320x240", cameraModel, layout, board;
  double square = 0.04;
  int frames = 100, threshold = 200;
  std::vector<double> from, to;
  double roll = 0;
  std::string path = "dive", poseList;
  bool realistic = false;
  SceneOptions scene;
};

// What a real dive adds; --realistic sets them all at once, and each can be given beside it.
void declareRealism(CLI::App& app, Arguments& args) {
  app.add_flag("--realistic", args.realistic,
               "A real dive: --sun --shading 0.7 --gloss 0.5 --floor --turbidity 0.3 --jpeg 80");
  app.add_flag("--sun", args.scene.sun,
               "Sunlight from above through the water, its share of the light --shading: cast "
               "shadows and the balls' dark undersides");
  app.add_option("--gloss", args.scene.gloss, "Glossy highlights on the balls, 0 (matt) to 1")
      ->check(CLI::Range(0.0, 1.0));
  app.add_flag("--floor", args.scene.floor, "A sand floor under the balls and the frame's rods");
  app.add_option("--turbidity", args.scene.turbidity,
                 "Water that fades colours towards its own with distance, per metre")
      ->check(CLI::Range(0.0, 10.0));
  app.add_option("--jpeg", args.scene.jpegQuality,
                 "Each picture through a camera's JPEG (colour at half resolution) at this quality")
      ->check(CLI::Range(1, 100));
}

// The realistic preset, for what was not given explicitly.
void applyRealism(const CLI::App& app, SceneOptions& options) {
  const auto unless = [&](const char* option, auto& value, auto preset) {
    if (app.count(option) == 0) value = preset;
  };
  options.sun = true;
  options.floor = true;
  unless("--shading", options.shading, 0.7);
  unless("--gloss", options.gloss, 0.5);
  unless("--turbidity", options.turbidity, 0.3);
  unless("--jpeg", options.jpegQuality, 80);
}

void declare(CLI::App& app, Arguments& args) {
  app.add_option("--out", args.out, "Output folder (created if missing)")->required();
  app.add_option("--frames", args.frames, "Number of frames")->check(CLI::Range(1, 100000));
  app.add_option("--path", args.path,
                 "Camera path: dive (a slow circle 1.7 to 2.1 m from the balls) or survey (from "
                 "2.5 down to 1.3 m, oblique and rolling)")
      ->check(CLI::IsMember({"dive", "survey"}))
      ->capture_default_str();
  app.add_option("--camera-model", args.cameraModel,
                 "Render through this camera (OpenCV calibration YAML/XML or ROS camera_info); "
                 "the frame size is then the file's unless --size says otherwise");
  app.add_option("--layout", args.layout,
                 "Place the balls as this landmark layout file (JSON) says, with its radius");
  auto* board = app.add_option("--board", args.board,
                               "Render a chessboard of COLSxROWS inner corners instead of the "
                               "balls, by default from views for a camera calibration")
                    ->check([](const std::string& text) {
                      return parseSize(text, 3) ? std::string() : "expected COLSxROWS, e.g. 9x6";
                    });
  app.add_option("--square", args.square, "Chessboard square, metres")
      ->check(CLI::Range(0.001, 1.0))
      ->needs(board)
      ->capture_default_str();
  app.add_option("--size", args.size, "Frame size WxH, 16x16 to 4096x4096")
      ->check([](const std::string& text) {
        return parseSize(text) ? std::string() : "expected WxH, for example 640x480";
      });
  app.add_option("--seed", args.scene.seed, "Noise seed");
  app.add_option("--noise", args.scene.noise, "Sensor noise, grey levels (standard deviation)")
      ->check(CLI::Range(0.0, 100.0))
      ->capture_default_str();
  app.add_option("--water", args.scene.water, "Water behind the balls: murky or dark")
      ->transform(CLI::CheckedTransformer(
          std::map<std::string, Water>{{"murky", Water::murky}, {"dark", Water::dark}}));
  app.add_option("--gradient", args.scene.gradient,
                 "Water brightness from top to bottom: 0 flat, 1 as a lit scene")
      ->check(CLI::Range(0.0, 3.0))
      ->capture_default_str();
  app.add_option("--shading", args.scene.shading,
                 "Share of a ball's light that depends on the lamp's angle: 0 flat, 0.5 a rim at "
                 "half the brightness of the middle")
      ->check(CLI::Range(0.0, 1.0))
      ->capture_default_str();
  declareRealism(app, args);
  app.add_option("--video", args.video, "Also write the frames as an MJPG .avi file");
  app.add_option("--quality", args.scene.mjpgQuality, "MJPG quality of --video, 1 to 100")
      ->check(CLI::Range(1, 100))
      ->capture_default_str();
  app.add_option("--threshold", args.threshold, "Similarity threshold in calibration.json")
      ->check(CLI::Range(0, 255));
  auto* from = app.add_option("--from", args.from, "Fixed camera position x,y,z (metres)")
                   ->delimiter(',')
                   ->expected(3);
  auto* to = app.add_option("--to", args.to, "Point the fixed camera looks at, x,y,z")
                 ->delimiter(',')
                 ->expected(3);
  from->needs(to);
  to->needs(from);
  app.add_option("--roll", args.roll, "Roll of the fixed camera about its view, degrees")
      ->needs(from);
  app.add_option("--poses", args.poseList,
                 "A pose per frame from a CSV frame,x,y,z,qw,qx,qy,qz (as quellmar simulate "
                 "--camera-poses writes it); --frames is then the list's length")
      ->excludes(from);
}

bool validView(const Arguments& args) {
  const auto finite = [](const std::vector<double>& v) {
    return std::all_of(v.begin(), v.end(), [](double x) { return std::isfinite(x); });
  };
  return std::isfinite(args.roll) &&
         (args.from.empty() || (finite(args.from) && finite(args.to) && args.from != args.to));
}

std::vector<Pose> cameraPath(const Arguments& args, const SceneOptions& options,
                             std::string& error) {
  if (!args.poseList.empty()) {
    std::vector<Pose> poses;
    if (!readPoseList(args.poseList, poses, &error)) return {};
    return poses;
  }
  if (args.from.empty() && !args.board.empty()) return chessboardViews(args.frames, *options.board);
  if (args.from.empty()) return args.path == "survey" ? survey(args.frames) : dive(args.frames);
  const Pose fixed = lookAt({args.from[0], args.from[1], args.from[2]},
                            {args.to[0], args.to[1], args.to[2]}, args.roll);
  return std::vector<Pose>(args.frames, fixed);
}

// The camera and layout files, when given, into the options.
bool readSetup(const Arguments& args, bool sizeGiven, SceneOptions& options, std::string& error) {
  if (!args.cameraModel.empty()) {
    options.camera = Orvanta::site::readCameraFile(args.cameraModel, &error);
    if (!options.camera) {
      error = args.cameraModel + ": " + error;
      return false;
    }
    if (!sizeGiven) options.size = options.camera->size;
    std::string shape;
    if (!Orvanta::site::cameraForPictures(*options.camera, options.size, &shape)) {
      error = "--size: " + shape;
      return false;
    }
  }
  if (!args.layout.empty()) {
    const auto layout = Orvanta::site::readLayoutFile(args.layout, &error);
    if (!layout) {
      error = args.layout + ": " + error;
      return false;
    }
    options.layout = *layout;
  }
  return true;
}

int writeAll(const Arguments& args, const std::vector<Pose>& poses, const SceneOptions& options) {
  std::string error;
  bool ok = writeSequence(args.out, poses, options, &error);
  if (ok && !args.video.empty()) ok = writeVideo(args.video, poses, options, &error);
  if (ok && !options.board) {
    const std::string path = (std::filesystem::path(args.out) / "calibration.json").string();
    ok = writeCalibration(path, render(poses.front(), options, 1), poses.front(), options,
                          args.threshold, &error);
  }
  if (!ok) {
    std::cerr << "orvanta-scene: " << error << '\n';
    return kWriteExit;
  }
  std::cout << "wrote " << poses.size() << " frames to " << args.out << '\n';
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"Renders the four landmark balls as the vehicle's camera sees them."};
  Arguments args;
  declare(app, args);
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    return app.exit(e) == 0 ? 0 : kUsageExit;
  }
  if (!validView(args)) {
    std::cerr << "orvanta-scene: --from and --to must be two different, finite points\n";
    return kUsageExit;
  }
  SceneOptions options = args.scene;
  if (args.realistic) applyRealism(app, options);
  options.size = *parseSize(args.size);
  std::string error;
  if (!readSetup(args, app.count("--size") > 0, options, error)) {
    std::cerr << "orvanta-scene: " << error << '\n';
    return kUsageExit;
  }
  if (!args.board.empty()) {
    const cv::Size corners = *parseSize(args.board, 3);
    options.board = Chessboard{corners.width, corners.height, args.square};
  }
  const std::vector<Pose> poses = cameraPath(args, options, error);
  if (poses.empty()) {
    std::cerr << "orvanta-scene: " << error << '\n';
    return kUsageExit;
  }
  return writeAll(args, poses, options);
}
