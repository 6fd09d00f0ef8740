#include "headless.hpp"

#include <fstream>

#include "console_texts.hpp"
#include "image_windows.hpp"
#include "key_wait.hpp"
#include "pose_csv.hpp"
#include "tracking_loop.hpp"

namespace Orvanta {

namespace {

constexpr int progressEvery = 500;  // passes between progress lines

void writeRow(std::ostream& csv, int pass, const PassReport& report, bool everSolved) {
  csv << pass;
  for (double range : report.filtered) csv << ',' << range;
  csv << ',' << (report.solved ? 1 : 0);
  const camera& p = report.position;
  if (everSolved && isNumber(p))
    csv << ',' << p.x << ',' << p.y << ',' << p.z;
  else
    csv << ",,,";
  csv << ',';
  if (report.frameMs) csv << *report.frameMs;
  csv << '\n';
}

struct RunCounts {
  int passes = 0, windows = 0, solved = 0;
};

RunCounts track(TrackingRun& run, std::ostream& csv, std::ostream& err) {
  RunCounts counts;
  for (;;) {
    const PassReport report = run.pass();
    if (report.endedLoop && !report.closedWindow) break;
    ++counts.passes;
    if (report.closedWindow) {
      ++counts.windows;
      counts.solved += report.solved ? 1 : 0;
      writeRow(csv, counts.passes, report, counts.solved > 0);
    }
    if (report.endedLoop) break;
    if (counts.passes % progressEvery == 0) err << "orvanta: " << counts.passes << " passes\n";
  }
  return counts;
}

}  // namespace

int runHeadless(const Options& options, std::ostream& out, std::ostream& err) {
  SilentTexts silent;
  ConsoleTexts console(err);
  NoKeyWait keys;
  NoWindows windows;
  Host host{options.camera, options.verbose ? static_cast<OperatorTexts&>(console) : silent, keys,
            windows, options.ballRadius};
  TrackingRun run(host);
  PoseRows poses;
  if (!options.poses.empty()) run.setFixSink([&poses](const PictureFix& fix) { poses.add(fix); });
  switch (run.start()) {
    case StartResult::notCalibrated:
      err << "orvanta: no ball colour is calibrated; give --calibration FILE\n";
      return 2;
    case StartResult::noCamera:
      err << "orvanta: camera source '" << options.camera << "' cannot be opened or gives no "
          << "picture\n";
      return 2;
    case StartResult::started:
      break;
  }
  std::ofstream file;
  if (!options.csv.empty()) {
    file.open(options.csv);
    if (!file) {
      err << "orvanta: cannot write '" << options.csv << "'\n";
      return 2;
    }
  }
  if (!options.poses.empty() && !poses.open(options.poses)) {
    err << "orvanta: cannot write '" << options.poses << "'\n";
    return 2;
  }
  std::ostream& csv = options.csv.empty() ? out : file;
  csv << "frame,green,red,blue,yellow,solved,x,y,z,frame_ms\n";
  const RunCounts counts = track(run, csv, err);
  run.finish();
  csv.flush();
  if (!csv || (!options.poses.empty() && !poses.finish())) {
    err << "orvanta: writing the CSV failed\n";
    return 2;
  }
  err << "orvanta: " << counts.passes << " passes, " << counts.windows << " windows, "
      << counts.solved << " solved\n";
  return 0;
}

}  // namespace Orvanta
