// Per-frame costs of the vision program on generated frames: one tracking pass without windows
// (balls tracked, balls lost, and a worst case of speckled masks), the similarity step alone
// (fast and pixel by pixel), reading one picture from the sequence, and the precise estimate of
// one picture beside the plain OpenCV pipeline a user would write instead.
#include <benchmark/benchmark.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <opencv2/core/utils/logger.hpp>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>
#include <opencv2/videoio.hpp>
#include <string>
#include <string_view>
#include <vector>

#include "autopilot_link.hpp"
#include "bench_scene.hpp"
#include "camera.hpp"
#include "camera_model.hpp"
#include "console_texts.hpp"
#include "detection.hpp"
#include "estimator.hpp"
#include "key_wait.hpp"
#include "no_windows.hpp"
#include "pinhole.hpp"
#include "plain_pipeline.hpp"
#include "reference_stages.hpp"
#include "state.hpp"
#include "tracking_loop.hpp"

namespace {

using namespace Orvanta;
using namespace OrvantaBench;

constexpr int passesPerOpening = 30;
constexpr int sequenceFrames = 1 + 2 * passesPerOpening;  // set-up takes one, each pass two

cv::Size sizeOf(const benchmark::State& state) {
  return {int(state.range(0)), int(state.range(1))};
}

bool allTracked() {
  for (int ball = 1; ball <= 4; ++ball)
    if (!ballRecord(ball).found) return false;
  return true;
}

enum class Balls { tracked, lost };

// Times TrackingRun::pass() over a sequence; the run is restarted outside the timing before the
// sequence runs out, so every timed pass is a whole one. For tracked balls the first pass of each
// run (a whole-frame search) is not timed either.
void timePasses(benchmark::State& state, const Sequence& sequence, Balls balls,
                const DetectionStages& path) {
  SilentTexts texts;
  NoKeyWait keys;
  NoWindows windows;
  Host host{sequence.pattern, texts, keys, windows};
  std::unique_ptr<TrackingRun> run;
  int passes = passesPerOpening;
  int trackedPasses = 0;
  for (auto _ : state) {
    if (passes == passesPerOpening) {
      state.PauseTiming();
      run.reset();
      run = std::make_unique<TrackingRun>(host, path);
      if (run->start() != StartResult::started) state.SkipWithError("the sequence does not open");
      passes = balls == Balls::tracked ? 1 : 0;
      if (balls == Balls::tracked) run->pass();
      state.ResumeTiming();
    }
    if (balls == Balls::lost)
      for (int ball = 1; ball <= 4; ++ball) ballRecord(ball).found = false;
    trackedPasses += allTracked() ? 1 : 0;
    run->pass();
    ++passes;
  }
  state.counters["tracked"] = benchmark::Counter(trackedPasses, benchmark::Counter::kAvgIterations);
}

void timeDivePasses(benchmark::State& state, Balls balls, const DetectionStages& path) {
  calibrateToDive(sizeOf(state));
  timePasses(state, diveSequence(sizeOf(state), sequenceFrames), balls, path);
}

void BM_PassTracked(benchmark::State& state) {
  timeDivePasses(state, Balls::tracked, fastStages());
}
void BM_PassTrackedReference(benchmark::State& state) {
  timeDivePasses(state, Balls::tracked, OrvantaTest::referenceStages());
}
void BM_PassLost(benchmark::State& state) {
  timeDivePasses(state, Balls::lost, fastStages());
}
void BM_PassLostReference(benchmark::State& state) {
  timeDivePasses(state, Balls::lost, OrvantaTest::referenceStages());
}

// A noise-textured scene at thresholds that a third of the pixels pass.
void BM_PassSpeckled(benchmark::State& state) {
  calibrateToNoise(sizeOf(state));
  timePasses(state, noiseSequence(sizeOf(state), sequenceFrames), Balls::lost, fastStages());
}

// Pictures of long thin structures in the balls' colours at threshold 200, balls lost: the
// circle detection's worst content, which its budget refuses. Argument 0 is the kind.
void BM_PassStress(benchmark::State& state) {
  const cv::Size size(int(state.range(1)), int(state.range(2)));
  calibrateToStress(size);
  timePasses(state, stressSequence(scene::Stress(state.range(0)), size, sequenceFrames),
             Balls::lost, fastStages());
}

// Green over the whole frame, mask included, as a lost ball's pass does it.
void timeSimilarity(benchmark::State& state, const DetectionStages& stages) {
  calibrateToDive(sizeOf(state));
  const cv::Mat& frame = diveSequence(sizeOf(state), sequenceFrames).frames.front();
  hsv = {std::uint8_t(zelena.h), std::uint8_t(zelena.s), std::uint8_t(zelena.v)};
  WorkImages work;
  work.create(frame.size());
  for (auto _ : state) {
    stages.score(frame, {{0, 0}, frame.size()}, zelena, work);
    benchmark::ClobberMemory();
  }
}

void BM_Similarity(benchmark::State& state) {
  timeSimilarity(state, fastStages());
}

void BM_SimilarityReference(benchmark::State& state) {
  timeSimilarity(state, OrvantaTest::referenceStages());
}

// The circle detection of one colour pass with the ball lost: the smoothed edges of the whole
// first dive picture, as the green pass makes them. The reference is cv::HoughCircles.
void timeCircleDetection(benchmark::State& state, const DetectionStages& stages) {
  calibrateToDive(sizeOf(state));
  const cv::Mat& frame = diveSequence(sizeOf(state), sequenceFrames).frames.front();
  WorkImages work;
  work.create(frame.size());
  zelena.found = false;
  findBallCircles(zelena, frame, work);
  const DetectionParams p = currentParams();
  const CircleSearch search{minCentreDistance(frame.rows), p.houghParam1, p.houghParam2};
  for (auto _ : state)
    benchmark::DoNotOptimize(stages.findCircles(work, {{0, 0}, frame.size()}, search));
}

void BM_CircleDetection(benchmark::State& state) {
  timeCircleDetection(state, fastStages());
}

void BM_CircleDetectionReference(benchmark::State& state) {
  timeCircleDetection(state, OrvantaTest::referenceStages());
}

// One picture from the image sequence: what each of a pass's two queries costs.
void BM_QueryPicture(benchmark::State& state) {
  const Sequence& sequence = diveSequence(sizeOf(state), sequenceFrames);
  cv::Mat picture;
  int left = 0;
  for (auto _ : state) {
    if (left == 0) {
      state.PauseTiming();
      openCamera(sequence.pattern);
      left = sequenceFrames;
      state.ResumeTiming();
    }
    queryFrame(picture);
    --left;
  }
  capture.release();
}

constexpr int surveyPictures = 120;

pose::EstimatorSettings surveySettings(const Video& video, cv::Size size) {
  pose::EstimatorSettings settings;
  settings.camera = site::defaultCamera().at(size);
  for (int ball = 1; ball <= site::kBallCount; ++ball) {
    settings.colours[ball - 1] = cv::Vec3d(video.ballRgb[ball - 1]);
  }
  return settings;
}

// Mean distance of the found centres from the true ones, pixels, over the video; `centres`
// gives the four centres (or none) of the picture with that index.
template <class Centres>
double meanCentreError(const Video& video, cv::Size size, Centres centres) {
  const scene::SceneOptions options{.size = size};
  double sum = 0;
  int count = 0;
  for (std::size_t i = 0; i < video.pictures.size(); ++i) {
    const std::array<std::optional<cv::Point2d>, 4> found = centres(i);
    for (int ball = 1; ball <= 4; ++ball) {
      if (!found[ball - 1]) continue;
      sum += cv::norm(*found[ball - 1] - scene::projectBall(video.poses[i], ball, options));
      ++count;
    }
  }
  return count ? sum / count : NAN;
}

// Argument 2 of the survey cases: 4, the survey as flown; 3, beside it with green out of view.
Path pathOf(const benchmark::State& state, int argument = 2) {
  return state.range(argument) == 4 ? Path::survey : Path::greenOutOfView;
}

// One picture of the survey video, the balls tracked from the picture before.
void BM_PreciseEstimate(benchmark::State& state) {
  const Video& video = surveyVideo(sizeOf(state), surveyPictures, pathOf(state));
  pose::PoseEstimator checked(surveySettings(video, sizeOf(state)));
  double positionError = 0;
  int poses = 0;
  state.counters["centre_err_px"] = meanCentreError(video, sizeOf(state), [&](std::size_t i) {
    const pose::PictureEstimate e = checked.estimate(video.pictures[i]);
    std::array<std::optional<cv::Point2d>, 4> centres;
    for (int b = 0; b < 4; ++b)
      if (e.balls[b]) centres[b] = e.balls[b]->pixel;
    if (e.pose.valid) {
      positionError += cv::norm(e.pose.position - video.poses[i].position);
      ++poses;
    }
    return centres;
  });
  state.counters["position_err_mm"] = 1000 * positionError / std::max(1, poses);
  pose::PoseEstimator estimator(surveySettings(video, sizeOf(state)));
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(estimator.estimate(video.pictures[i]));
    i = (i + 1) % video.pictures.size();
  }
}

// A UDP port on this machine that takes datagrams and never reads them.
class SilentPort {
 public:
  SilentPort() : socket_(::socket(AF_INET, SOCK_DGRAM, 0)) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ::bind(socket_, reinterpret_cast<sockaddr*>(&address), length);
    ::getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
  }
  ~SilentPort() { ::close(socket_); }
  int port() const { return port_; }

 private:
  int socket_;
  int port_ = 0;
};

// From a camera's MJPG picture as it arrives to its pose sent to the autopilot: the JPEG decoded,
// the precise estimate, the ODOMETRY message framed and sent over loopback. decode_ms is the
// decoding's share; the rest is what the pose table's latency_ms measures.
void BM_CaptureToSend(benchmark::State& state) {
  const Video& video = surveyVideo(sizeOf(state), surveyPictures);
  std::vector<std::vector<std::uint8_t>> jpegs(video.pictures.size());
  for (std::size_t i = 0; i < jpegs.size(); ++i)
    cv::imencode(".jpg", video.pictures[i], jpegs[i], {cv::IMWRITE_JPEG_QUALITY, 90});
  pose::PoseEstimator estimator(surveySettings(video, sizeOf(state)));
  const SilentPort port;
  autopilot::LinkSettings settings;
  settings.target = {"127.0.0.1", port.port()};
  const std::unique_ptr<autopilot::AutopilotLink> link =
      autopilot::AutopilotLink::open(settings, nullptr);
  std::size_t i = 0;
  double decoding = 0;
  cv::Mat picture;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    cv::imdecode(jpegs[i], cv::IMREAD_COLOR, &picture);
    decoding += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    link->send(estimator.estimate(picture).pose, double(i) / 30);
    i = (i + 1) % jpegs.size();
  }
  state.counters["decode_ms"] = 1000 * decoding / double(state.iterations());
  state.counters["failed_sends"] = double(link->counts().failed);
}

// A run's first picture: the estimator made for the pictures' size, then its first estimate (its
// undistortion table filled only where the balls are), against the steady estimate of the same
// picture and against filling the whole table, as every start did before.
void BM_EstimatorFirstPicture(benchmark::State& state) {
  const Video& video = surveyVideo(sizeOf(state), 2);
  const pose::EstimatorSettings settings = surveySettings(video, sizeOf(state));
  double steady = 0;
  for (auto _ : state) {
    pose::PoseEstimator estimator(settings);
    benchmark::DoNotOptimize(estimator.estimate(video.pictures[0]));
    state.PauseTiming();
    const auto start = std::chrono::steady_clock::now();
    benchmark::DoNotOptimize(estimator.estimate(video.pictures[0]));
    steady += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    state.ResumeTiming();
  }
  state.counters["steady_ms"] = 1000 * steady / double(state.iterations());
}

void BM_WholeUndistortionTable(benchmark::State& state) {
  const Video& video = surveyVideo(sizeOf(state), 2);
  const site::CameraModel model = surveySettings(video, sizeOf(state)).camera;
  const pose::PinholeCamera camera{model.intrinsics, model.distortion};
  for (auto _ : state) {
    const pose::UndistortionTable table(camera, sizeOf(state));
    table.prepare(cv::Rect({}, sizeOf(state)));
  }
}

// The same pictures through the plain pipeline: HSV, then per ball a range, contours and the
// enclosing circle.
void BM_PlainPipeline(benchmark::State& state) {
  const Video& video = surveyVideo(sizeOf(state), surveyPictures, pathOf(state));
  OrvantaBench::PlainPipeline plain(video.ballRgb);
  state.counters["centre_err_px"] = meanCentreError(video, sizeOf(state), [&](std::size_t i) {
    std::array<std::optional<cv::Point2d>, 4> centres;
    const auto circles = plain.find(video.pictures[i]);
    for (int b = 0; b < 4; ++b)
      if (circles[b]) centres[b] = cv::Point2d(circles[b]->centre);
    return centres;
  });
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(plain.find(video.pictures[i]));
    i = (i + 1) % video.pictures.size();
  }
}

enum class Work { floor, plain, precise };

// One picture read from the survey's MJPG file and worked on: the floor (decoding and one HSV
// conversion, the least any colour tracker does), the plain pipeline, or the precise estimate.
void timeVideoPictures(benchmark::State& state, Work work) {
  const Video& video = surveyVideo(sizeOf(state), surveyPictures, pathOf(state));
  const std::string& file = surveyFiles(sizeOf(state), surveyPictures, pathOf(state)).video;
  pose::PoseEstimator estimator(surveySettings(video, sizeOf(state)));
  OrvantaBench::PlainPipeline plain(video.ballRgb);
  cv::VideoCapture capture;
  cv::Mat picture, hsv;
  for (auto _ : state) {
    if (!capture.read(picture)) {
      state.PauseTiming();
      if (!capture.open(file) || !capture.read(picture)) state.SkipWithError("no survey video");
      state.ResumeTiming();
    }
    if (work == Work::floor) cv::cvtColor(picture, hsv, cv::COLOR_BGR2HSV);
    if (work == Work::plain) benchmark::DoNotOptimize(plain.find(picture));
    if (work == Work::precise) benchmark::DoNotOptimize(estimator.estimate(picture));
  }
}

void BM_VideoFloor(benchmark::State& state) {
  timeVideoPictures(state, Work::floor);
}
void BM_VideoPlain(benchmark::State& state) {
  timeVideoPictures(state, Work::plain);
}
void BM_VideoPrecise(benchmark::State& state) {
  timeVideoPictures(state, Work::precise);
}

// The whole program as a batch user runs it on a recorded dive of 300 pictures (MJPG): start-up,
// reading ahead, both estimates, both result files.
void BM_HeadlessDive(benchmark::State& state) {
  constexpr int pictures = 300;
  const SurveyFiles& files = surveyFiles({320, 240}, pictures);
  const std::string out = files.video + ".out";
  const std::string command = std::string("'") + ORVANTA_PATH + "' --headless --camera '" +
                              files.video + "' --calibration '" + files.calibration +
                              "' --trackbars IntMedian=2 --csv '" + out + ".csv' --poses '" + out +
                              ".poses' 2>/dev/null";
  for (auto _ : state)
    if (std::system(command.c_str()) != 0) state.SkipWithError("the program failed");
  state.counters["pictures_per_s"] = benchmark::Counter(
      double(pictures) * double(state.iterations()), benchmark::Counter::kIsRate);
}

// A batch user who wants only the poses, on one core: the survey at a real camera's size read
// from MJPG (argument 2: 0) or H.264 (1), whole process. Argument 3 as for the survey cases.
void BM_HeadlessPoses(benchmark::State& state) {
  const cv::Size size = sizeOf(state);
  const SurveyFiles& files = surveyFiles(size, surveyPictures, pathOf(state, 3));
  const std::string video =
      state.range(2) == 1 ? surveyH264(size, surveyPictures, pathOf(state, 3)) : files.video;
  const std::string command = "taskset -c 0 '" + std::string(ORVANTA_PATH) +
                              "' --headless --camera '" + video + "' --calibration '" +
                              files.calibration + "' --poses '" + video + ".poses' 2>/dev/null";
  for (auto _ : state)
    if (std::system(command.c_str()) != 0) state.SkipWithError("the program failed");
  state.counters["pictures_per_s"] = benchmark::Counter(
      double(surveyPictures) * double(state.iterations()), benchmark::Counter::kIsRate);
}

void sizes(benchmark::internal::Benchmark* b) {
  b->Args({320, 240})->Args({640, 480})->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_PassTracked)->Apply(sizes);
BENCHMARK(BM_PassTrackedReference)->Apply(sizes);
BENCHMARK(BM_PassLost)->Apply(sizes);
BENCHMARK(BM_PassLostReference)->Apply(sizes);
BENCHMARK(BM_PassSpeckled)->Apply(sizes);
BENCHMARK(BM_PassStress)
    ->ArgsProduct({{0, 1, 2, 3}, {320}, {240}})
    ->ArgsProduct({{0, 1, 2, 3}, {640}, {480}})
    ->Unit(benchmark::kMillisecond)
    ->ComputeStatistics("max",
                        [](const std::vector<double>& v) {
                          return *std::max_element(v.begin(), v.end());
                        })
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_Similarity)->Apply(sizes);
BENCHMARK(BM_SimilarityReference)->Apply(sizes);
BENCHMARK(BM_CircleDetection)->Apply(sizes);
BENCHMARK(BM_CircleDetectionReference)->Apply(sizes);
BENCHMARK(BM_QueryPicture)->Apply(sizes);
// The survey at real cameras' sizes, and beside the rectangle with green out of view.
void surveyCases(benchmark::internal::Benchmark* b) {
  b->Args({320, 240, 4})
      ->Args({640, 480, 4})
      ->Args({1280, 720, 4})
      ->Args({1920, 1080, 4})
      ->Args({640, 480, 3})
      ->Args({1920, 1080, 3})
      ->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_PreciseEstimate)->Apply(surveyCases);
BENCHMARK(BM_PlainPipeline)->Apply(surveyCases);
BENCHMARK(BM_VideoFloor)->Apply(surveyCases);
BENCHMARK(BM_VideoPlain)->Apply(surveyCases);
BENCHMARK(BM_VideoPrecise)->Apply(surveyCases);
BENCHMARK(BM_CaptureToSend)->Args({320, 240})->Args({640, 480})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EstimatorFirstPicture)
    ->Args({640, 480})
    ->Args({1920, 1080})
    ->Args({4000, 3000})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WholeUndistortionTable)
    ->Args({640, 480})
    ->Args({1920, 1080})
    ->Args({4000, 3000})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HeadlessDive)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK(BM_HeadlessPoses)
    ->ArgsProduct({{1920}, {1080}, {0, 1}, {4, 3}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1);

// The console report, then how many times faster each benchmark is than its "...Reference"
// twin at the same arguments (medians when repeated).
class SpeedupReporter : public benchmark::ConsoleReporter {
 public:
  SpeedupReporter() : ConsoleReporter(OO_Tabular) {}

  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs)
      if (run.aggregate_name.empty() || run.aggregate_name == "median")
        times_[{run.run_name.function_name, run.run_name.args}] = run.GetAdjustedRealTime();
  }

  // How the time of `name` compares with that of `yardstick` at the same arguments (followed by
  // `more` in the yardstick's).
  void printRatio(const std::string& name, const std::string& yardstick,
                  const std::string& more = "") const {
    for (const auto& [key, time] : times_) {
      if (key.first != name) continue;
      const auto other = times_.find({yardstick, key.second + more});
      if (other == times_.end() || other->second <= 0) continue;
      std::printf("%s/%s: %.2f times the time of %s\n", name.c_str(), key.second.c_str(),
                  time / other->second, yardstick.c_str());
    }
  }

  void printSpeedups() const {
    const std::string suffix = "Reference";
    for (const auto& [key, referenceTime] : times_) {
      const auto& [name, args] = key;
      if (name.size() <= suffix.size() || !name.ends_with(suffix)) continue;
      const auto fast = times_.find({name.substr(0, name.size() - suffix.size()), args});
      if (fast == times_.end() || fast->second <= 0) continue;
      std::printf("%s/%s: %.1fx faster than the reference\n", fast->first.first.c_str(),
                  args.c_str(), referenceTime / fast->second);
    }
  }

 private:
  std::map<std::pair<std::string, std::string>, double> times_;
};

// Five repetitions, reported as their aggregates, unless the command line says otherwise: these
// machines are noisy, and the ratios below use the medians.
std::vector<char*> withDefaultRepetitions(int argc, char** argv) {
  std::vector<char*> args(argv, argv + argc);
  const auto given = [&](std::string_view flag) {
    return std::any_of(args.begin(), args.end(),
                       [&](const char* arg) { return std::string_view(arg).starts_with(flag); });
  };
  static char repetitions[] = "--benchmark_repetitions=5";
  static char aggregates[] = "--benchmark_report_aggregates_only=true";
  if (!given("--benchmark_repetitions")) args.push_back(repetitions);
  if (!given("--benchmark_report_aggregates_only")) args.push_back(aggregates);
  return args;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<char*> args = withDefaultRepetitions(argc, argv);
  int count = int(args.size());
  benchmark::Initialize(&count, args.data());
  cv::setNumThreads(1);  // as the program runs its passes
  // As in the program: reading ahead past a sequence's end is expected, not worth a warning.
  cv::utils::logging::setLogLevel(cv::utils::logging::LOG_LEVEL_SILENT);
  if (benchmark::ReportUnrecognizedArguments(count, args.data())) return 1;
  SpeedupReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  reporter.printSpeedups();
  reporter.printRatio("BM_PreciseEstimate", "BM_PlainPipeline");
  reporter.printRatio("BM_VideoPrecise", "BM_VideoPlain");
  reporter.printRatio("BM_VideoPrecise", "BM_VideoFloor");
  reporter.printRatio("BM_VideoPlain", "BM_VideoFloor");
  reporter.printRatio("BM_PassTracked", "BM_PlainPipeline", "/4");
  reporter.printRatio("BM_PassTrackedReference", "BM_PlainPipeline", "/4");
  return 0;
}
