#include "headless.hpp"

#include <sstream>
#include <string>

#include "autopilot_link.hpp"
#include "console_texts.hpp"
#include "key_wait.hpp"
#include "no_windows.hpp"
#include "output_guard.hpp"
#include "pose_csv.hpp"
#include "row_file.hpp"
#include "tracking_loop.hpp"

namespace Orvanta {

namespace {

constexpr int progressEvery = 500;  // passes between progress lines

std::string windowRow(int pass, const PassReport& report, bool everSolved) {
  std::ostringstream csv;
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
  return csv.str();
}

// Every picture's precise estimate, to the pose table alone; the run's summary.
std::string trackPoses(TrackingRun& run, const PoseRows& poses, std::ostream& err) {
  int pictures = 1;  // the set-up's
  while (!poses.failed() && run.nextEstimate())
    if (++pictures % (2 * progressEvery) == 0) err << "orvanta: " << pictures << " pictures\n";
  return std::to_string(pictures) + " pictures";
}

struct RunCounts {
  int passes = 0, windows = 0, solved = 0;
};

// Passes until the source ends or an output cannot be written; the run's summary.
std::string track(TrackingRun& run, RowFile& csv, const PoseRows& poses, std::ostream& err) {
  csv.write("frame,green,red,blue,yellow,solved,x,y,z,frame_ms\n");
  RunCounts counts;
  for (;;) {
    const PassReport report = run.pass();
    if (report.endedLoop && !report.closedWindow) break;
    ++counts.passes;
    if (report.closedWindow) {
      ++counts.windows;
      counts.solved += report.solved ? 1 : 0;
      csv.write(windowRow(counts.passes, report, counts.solved > 0));
    }
    if (report.endedLoop || csv.failed() || poses.failed()) break;
    if (counts.passes % progressEvery == 0) err << "orvanta: " << counts.passes << " passes\n";
  }
  return std::to_string(counts.passes) + " passes, " + std::to_string(counts.windows) +
         " windows, " + std::to_string(counts.solved) + " solved";
}

void announceLink(const autopilot::AutopilotLink& link, std::ostream& err) {
  const autopilot::AutopilotLink::Counts counts = link.counts();
  err << "orvanta: " << counts.sent << " MAVLink messages sent to " << link.target().text();
  if (counts.failed > 0) err << ", " << counts.failed << " could not be sent";
  err << '\n';
}

}  // namespace

int runHeadless(const Options& options, std::ostream& err) {
  if (const auto clash = outputClash(options)) {
    err << "orvanta: " << *clash << '\n';
    return 2;
  }
  SilentTexts silent;
  ConsoleTexts console(err);
  NoKeyWait keys;
  NoWindows windows;
  Host host{options.camera, options.verbose ? static_cast<OperatorTexts&>(console) : silent,
            keys,           windows,
            options.layout, options.cameraFile};
  host.keepVideoFile = options.keepVideoFile;
  host.sequenceFps = options.fps;
  // Poses alone were asked for: the range chain's rows would go nowhere.
  host.rangeChain = (options.poses.empty() && options.link.target.empty()) || !options.csv.empty();
  std::unique_ptr<autopilot::AutopilotLink> link;
  if (const auto settings = linkSettings(options.link, options.layout.headingDegrees)) {
    std::string error;
    link = autopilot::AutopilotLink::open(*settings, &error);
    if (!link) {
      err << "orvanta: --mavlink " << error << '\n';
      return 2;
    }
  }
  PoseRows poses;
  host.fixSink = [&](const PictureFix& fix) {
    if (!options.poses.empty()) poses.add(fix);
    if (link) link->send(fix.pose, fix.seconds);
  };
  TrackingRun run(host);
  switch (run.start()) {
    case StartResult::notCalibrated:
      err << "orvanta: no ball colour is calibrated; give --calibration FILE\n";
      return 2;
    case StartResult::noCamera:
      err << "orvanta: camera source '" << options.camera << "' cannot be opened or gives no "
          << "picture\n";
      return 2;
    case StartResult::unusablePictures:
      err << "orvanta: camera source '" << options.camera << "': " << run.problem().console << '\n';
      return 2;
    case StartResult::started:
      break;
  }
  // Opened only now: a run that cannot start leaves the files as they were.
  RowFile csv;
  const bool csvOpen = !host.rangeChain || csv.open(options.csv);
  if (!csvOpen || (!options.poses.empty() && !poses.open(options.poses))) {
    err << "orvanta: cannot write '" << (csvOpen ? options.poses : options.csv) << "'\n";
    return 2;
  }
  const std::string summary =
      host.rangeChain ? track(run, csv, poses, err) : trackPoses(run, poses, err);
  run.finish();
  announceKeptVideoFile(run, err);
  if (csv.failed() || poses.failed()) {
    err << "orvanta: writing '" << (csv.failed() ? options.csv : options.poses)
        << "' failed; it ends at the last complete row\n";
    return 2;
  }
  err << "orvanta: " << summary << '\n';
  if (link) announceLink(*link, err);
  if (run.problem()) {
    err << "orvanta: camera source '" << options.camera << "': " << run.problem().console << '\n';
    return 1;
  }
  return 0;
}

}  // namespace Orvanta
