// The orvanta program. Headless runs track a file source without windows; otherwise the
// operator window drives the preview, the calibration and the tracking loop.
#include <malloc.h>

#include <QApplication>
#include <QScreen>
#include <csignal>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <opencv2/core/utils/logger.hpp>
#include <optional>

#include "autopilot_link.hpp"
#include "calibrate_command.hpp"
#include "calibration_file.hpp"
#include "form1.hpp"
#include "headless.hpp"
#include "highgui_key_wait.hpp"
#include "image_windows.hpp"
#include "key_wait.hpp"
#include "options.hpp"
#include "screen_layout.hpp"

int main(int argc, char** argv) {
  using namespace Orvanta;
  // Every picture allocates buffers of its size; past 32 MB (a 4000x3000 picture) the C library
  // would map each from the system and unmap it when freed, and the next picture would pay for
  // fresh zeroed pages again: a third of the time of a pass at that size. Kept in the heap
  // instead, they are reused.
  constexpr int kLargestPictureBuffers = 512 << 20;
  mallopt(M_MMAP_THRESHOLD, kLargestPictureBuffers);
  mallopt(M_TRIM_THRESHOLD, kLargestPictureBuffers);
  // OpenCV's own log (an image sequence's end, backends probing a missing file) is not a
  // message for users: every failure that matters is reported by the program itself.
  cv::utils::logging::setLogLevel(cv::utils::logging::LOG_LEVEL_SILENT);
  // The same for FFmpeg's decoders (damaged frames of a video), unless asked for.
  setenv("OPENCV_FFMPEG_LOGLEVEL", "-8", 0);
  // Each pass runs in one thread (a headless run reads ahead in a second one); on pictures this
  // small OpenCV's worker threads would only compete with them.
  cv::setNumThreads(1);
  if (argc > 1 && std::string(argv[1]) == "calibrate-camera") {
    // The live view is a highgui window, which lives in a QApplication.
    std::optional<QApplication> application;
    return runCalibrateCamera(argc - 1, argv + 1, std::cout, std::cerr, [&] {
      if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY") &&
          !std::getenv("QT_QPA_PLATFORM"))
        return false;
      application.emplace(argc, argv);
      return true;
    });
  }
  Options options;
  if (const auto code = parseOptions(argc, argv, options, std::cout, std::cerr)) return *code;
  if (options.headless) {
    // Past a file size limit a write then fails, and the run says so, instead of the process
    // being killed with a row half written.
    std::signal(SIGXFSZ, SIG_IGN);
    if (!applySettings(options, std::cerr)) return 2;
    return runHeadless(options, std::cerr);
  }

  if (!readSetupFiles(options, std::cerr)) return 2;
  std::unique_ptr<autopilot::AutopilotLink> link;
  if (const auto settings = linkSettings(options.link, options.layout.headingDegrees)) {
    std::string error;
    if (!(link = autopilot::AutopilotLink::open(*settings, &error))) {
      std::cerr << "orvanta: --mavlink " << error << '\n';
      return 2;
    }
  }
  QApplication application(argc, argv);  // before any highgui call: highgui lives in it
  HighguiKeyWait keys;
  HighguiWindows windows;
  // The window zeroes the trackbars and loads the calibration file (a bad one is reported in
  // its hint line); trackbars named on the command line apply on top.
  Session session{options.calibration};
  session.playbackFps = options.fps;
  session.keepVideoFile = options.keepVideoFile;
  if (!options.layoutFile.empty()) session.layoutFile = options.layout;
  session.cameraFile = options.cameraFile;
  session.link = link.get();
  Form1 form(options.camera, keys, windows, session);
  std::string error;
  if (!options.trackbars.empty() && !parseTrackbarAssignments(options.trackbars, &error)) {
    std::cerr << "orvanta: --trackbars: " << error << '\n';
    return 2;
  }
  // The operator window at the screen's top left, the image windows beside and below it.
  form.move(form.screen()->availableGeometry().topLeft());
  form.show();
  windows.arrange([&form] { return layoutAround(form); }, decoratedFrame);
  application.exec();
  return 0;
}
