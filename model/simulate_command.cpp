#include "simulate_command.hpp"

#include <unistd.h>

#include <CLI/CLI.hpp>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <memory>
#include <optional>
#include <random>
#include <sstream>

#include "camera_mounting.hpp"
#include "interruption.hpp"
#include "mat_ops.hpp"
#include "measurement.hpp"
#include "model_data.hpp"
#include "row_file.hpp"
#include "simulation.hpp"

namespace Orvanta {

namespace {

struct Arguments {
  double duration = 10, step = 0.01;
  std::vector<double> state, tau;
  std::string tauFile, csv, cameraPoses;
  int measure = 0, every = 1;
  double noise = 0, headingNoise = 0, fps = 30, bottomDepth = 3;
  unsigned seed = 1;
};

void declare(CLI::App& app, Arguments& a) {
  app.add_option("--duration", a.duration, "Simulated time, s")->capture_default_str();
  app.add_option("--step", a.step, "Runge-Kutta step, s")->capture_default_str();
  app.add_option("--state", a.state, "Initial u,v,w,p,q,r,x,y,z,phi,theta,psi (SI, radians)")
      ->delimiter(',')
      ->expected(12);
  auto* tau = app.add_option("--tau", a.tau, "Constant input X,Y,Z,K,M,N (N, N m)")
                  ->delimiter(',')
                  ->expected(6);
  app.add_option("--tau-file", a.tauFile, "CSV t,X,Y,Z,K,M,N, each row's input from its t on")
      ->excludes(tau);
  app.add_option("--measure", a.measure, "Simulated measurement with 0 (none) to 4 landmarks")
      ->check(CLI::Range(0, 4))
      ->capture_default_str();
  app.add_option("--noise", a.noise, "Range noise, standard deviation, m")->capture_default_str();
  app.add_option("--heading-noise", a.headingNoise, "Heading noise, standard deviation, rad")
      ->capture_default_str();
  app.add_option("--seed", a.seed, "Noise seed")->capture_default_str();
  app.add_option("--every", a.every, "Write every Nth step")
      ->check(CLI::PositiveNumber)
      ->capture_default_str();
  app.add_option("--csv", a.csv, "Output file (default: standard output)");
  app.add_option("--camera-poses", a.cameraPoses,
                 "Poses of the vehicle's downward camera over the balls, per frame, for "
                 "orvanta-scene --poses");
  app.add_option("--fps", a.fps, "Frames per second of --camera-poses")->capture_default_str();
  app.add_option("--bottom-depth", a.bottomDepth,
                 "Depth of the bottom, where the balls lie, below the surface, m")
      ->capture_default_str();
}

constexpr double kMostSteps = 1e12;

std::optional<std::string> badNumbers(const Arguments& a) {
  const auto finite = [](const std::vector<double>& v) {
    return std::all_of(v.begin(), v.end(), [](double x) { return std::isfinite(x); });
  };
  if (!std::isfinite(a.step) || a.step <= 0) return "--step must be a positive number";
  if (!std::isfinite(a.duration) || a.duration < 0) return "--duration must be 0 or more";
  // Steps are counted in a long; a trillion is days of computing already.
  if (a.duration / a.step > kMostSteps) return "--duration / --step must be at most 1e12 steps";
  if (!finite(a.state) || !finite(a.tau)) return "--state and --tau must be finite numbers";
  if (!std::isfinite(a.noise) || a.noise < 0 || !std::isfinite(a.headingNoise) ||
      a.headingNoise < 0)
    return "--noise and --heading-noise must be 0 or more";
  if (!std::isfinite(a.fps) || a.fps <= 0) return "--fps must be a positive number";
  if (!std::isfinite(a.bottomDepth)) return "--bottom-depth must be a finite number";
  return std::nullopt;
}

// The tau file: optional header, rows t,X,Y,Z,K,M,N with t ascending.
std::optional<ForceSchedule> readTauFile(const std::string& path, std::string& problem) {
  std::ifstream in(path);
  if (!in) {
    problem = path + ": cannot be read";
    return std::nullopt;
  }
  ForceSchedule schedule;
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    if (line.empty() || (number == 1 && line.find_first_of("tT") == 0)) continue;
    std::vector<double> values;
    std::istringstream fields(line);
    for (std::string field; std::getline(fields, field, ',');) {
      char* end = nullptr;
      values.push_back(std::strtod(field.c_str(), &end));
      if (end == field.c_str() || *end != '\0' || !std::isfinite(values.back())) values.clear();
      if (values.empty()) break;
    }
    const bool ascending =
        schedule.entries.empty() || values.empty() || values[0] >= schedule.entries.back().from;
    if (values.size() != 7 || !ascending) {
      problem = path + ": line " + std::to_string(number) +
                " is not t,X,Y,Z,K,M,N in finite numbers with t not decreasing";
      return std::nullopt;
    }
    schedule.entries.push_back(
        {values[0], {values[1], values[2], values[3], values[4], values[5], values[6]}});
  }
  return schedule;
}

std::string number(double v) {
  char text[40];
  std::snprintf(text, sizeof text, "%.17g", v);
  return text;
}

// The measurement with that many landmarks, for state x (set into the program's state).
std::array<double, 4> measure(int landmarksUsed, const State& x, std::mt19937_64& random,
                              double noise, double headingNoise) {
  for (int i = 0; i < 12; ++i) state.at<double>(i, 0) = x[i];
  cv::Mat n = newMat(landmarksUsed + 1, 1);
  std::normal_distribution<double> gauss(0, 1);
  for (int i = 0; i < landmarksUsed; ++i) n.at<double>(i, 0) = noise * gauss(random);
  n.at<double>(landmarksUsed, 0) = headingNoise * gauss(random);
  switch (landmarksUsed) {
    case 1:  // landmark 2, as the fixed scenario measures
      simulateMeasurement1(state, n, block(landmarks, 1, 3, 2, 2));
      break;
    case 2:
      simulateMeasurement2(state, n, landmarks);
      break;
    case 3:
      simulateMeasurement3(state, n, landmarks);
      break;
    default:
      simulateMeasurement4(state, n, landmarks);
  }
  return {measurement.at<double>(0, 0), measurement.at<double>(1, 0), measurement.at<double>(2, 0),
          measurement.at<double>(3, 0)};
}

// A progress bar on standard error, once the run has taken a second, when that is a terminal.
class Progress {
 public:
  explicit Progress(double total) : total_(total), started_(std::chrono::steady_clock::now()) {}
  ~Progress() {
    if (shown_) std::fprintf(stderr, "\n");
  }
  void at(double t) {
    if (!isatty(STDERR_FILENO) || total_ <= 0) return;
    const auto now = std::chrono::steady_clock::now();
    if (now - started_ < std::chrono::seconds(1) || now - last_ < std::chrono::milliseconds(100))
      return;
    last_ = now;
    shown_ = true;
    const int width = 40, done = int(width * t / total_);
    std::fprintf(stderr, "\r[%s%s] %3d%%", std::string(done, '#').c_str(),
                 std::string(width - done, ' ').c_str(), int(100 * t / total_));
  }

 private:
  double total_;
  std::chrono::steady_clock::time_point started_, last_;
  bool shown_ = false;
};

// Frames at k / fps, each from the straight line between the two steps around it.
class FrameSampler {
 public:
  FrameSampler(RowFile& out, double fps, double bottomDepth)
      : out_(out), fps_(fps), bottomDepth_(bottomDepth) {
    out_.write("frame,x,y,z,qw,qx,qy,qz\n");
  }
  void add(double t, const State& x) {
    for (double tk = next_ / fps_; tk <= t + 1e-12; tk = ++next_ / fps_) {
      const double f = t > t0_ ? (tk - t0_) / (t - t0_) : 1;
      State between;
      for (int i = 0; i < 12; ++i) between[i] = x0_[i] + f * (x[i] - x0_[i]);
      const CameraPoseOnBottom pose = cameraPose(between, bottomDepth_);
      std::string row = std::to_string(next_ + 1);
      for (double v : {pose.position[0], pose.position[1], pose.position[2], pose.quaternion[0],
                       pose.quaternion[1], pose.quaternion[2], pose.quaternion[3]})
        row += ',' + number(v);
      out_.write(row + '\n');
    }
    t0_ = t, x0_ = x;
  }

 private:
  RowFile& out_;
  double fps_, bottomDepth_;
  long next_ = 0;
  double t0_ = 0;
  State x0_{};
};

// The state's row, with the measurement when one is asked for.
std::string stateRow(const Arguments& a, double t, const State& x, std::mt19937_64& random) {
  std::string row = number(t);
  for (double v : x) row += ',' + number(v);
  if (a.measure)
    for (double v : measure(a.measure, x, random, a.noise, a.headingNoise)) row += ',' + number(v);
  return row + '\n';
}

int run(const Arguments& a, const ForceSchedule& tau, std::ostream& err) {
  VehicleDynamics dynamics;
  SimulationRun run{a.duration, a.step, dynamics.initialState(), tau};
  if (!a.state.empty()) std::copy(a.state.begin(), a.state.end(), run.start.begin());

  // Past a file size limit a write then fails, and the run says so, instead of the process
  // being killed with a row half written.
  std::signal(SIGXFSZ, SIG_IGN);
  RowFile out, poses;
  if (!out.open(a.csv) || (!a.cameraPoses.empty() && !poses.open(a.cameraPoses))) {
    err << "quellmar simulate: cannot write " << (out.isOpen() ? a.cameraPoses : a.csv) << '\n';
    return 2;
  }
  out.write(std::string("t,u,v,w,p,q,r,x,y,z,phi,theta,psi") + (a.measure ? ",mx,my,mz,mpsi" : "") +
            '\n');
  std::optional<FrameSampler> frames;
  if (poses.isOpen()) frames.emplace(poses, a.fps, a.bottomDepth);
  std::mt19937_64 random(a.seed);
  Progress progress(a.duration);
  const Interruption interruption;
  double last = 0;
  const bool finite = simulate(dynamics, run, [&](long k, double t, const State& x) {
    last = t;
    if (frames) frames->add(t, x);
    if (k % a.every == 0) {
      out.write(stateRow(a, t, x, random));
      progress.at(t);
    }
    return !out.failed() && !poses.failed() && !interruption.raised();
  });
  if (out.failed() || poses.failed()) {
    err << "quellmar simulate: writing the output failed at t = " << last
        << "; it ends at the last complete row\n";
    return 1;
  }
  if (interruption.raised()) {
    err << "quellmar simulate: interrupted at t = " << number(last)
        << "; the rows so far are kept\n";
    return interruption.exitCode();
  }
  if (!finite) {
    err << "quellmar simulate: the state stopped being a number after t = " << number(last)
        << " (an overflow, or the pitch at 90 degrees, where the kinematics divide by zero); the "
           "rows so far are kept\n";
    return 1;
  }
  return 0;
}

}  // namespace

int simulateCommand(int argc, const char* const* argv, std::ostream& err) {
  CLI::App app{"Steps the vehicle model through time and writes its state as CSV.",
               "quellmar simulate"};
  Arguments a;
  declare(app, a);
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp&) {
    std::cout << app.help();
    return 0;
  } catch (const CLI::ParseError& e) {
    err << "quellmar simulate: " << e.what() << '\n';
    return 2;
  }
  if (const auto problem = badNumbers(a)) {
    err << "quellmar simulate: " << *problem << '\n';
    return 2;
  }
  ForceSchedule tau;
  if (!a.tau.empty())
    tau.entries.push_back({0, {a.tau[0], a.tau[1], a.tau[2], a.tau[3], a.tau[4], a.tau[5]}});
  if (!a.tauFile.empty()) {
    std::string problem;
    const std::optional<ForceSchedule> schedule = readTauFile(a.tauFile, problem);
    if (!schedule) {
      err << "quellmar simulate: " << problem << '\n';
      return 2;
    }
    tau = *schedule;
  }
  setUpModelData();
  return run(a, tau, err);
}

}  // namespace Orvanta
