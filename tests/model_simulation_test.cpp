// quellmar simulate: the Runge-Kutta stepping against independent solutions, the camera on the
// vehicle, and the command as users run it.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <csignal>
#include <fstream>
#include <functional>
#include <thread>

#include "camera_mounting.hpp"
#include "model_data.hpp"
#include "simulation.hpp"
#include "support/run_program.hpp"
#include "support/scratch.hpp"

using namespace Orvanta;
using namespace OrvantaTest;

namespace {

// Surge from rest under a constant force X: 4.5 u' = X - 38.2845 u - 1.9404 u^2, solved in closed
// form (a Riccati equation): u(t) and x(t) = the integral of u.
struct Surge {
  double a = 1.9404, b = 38.2845, m = 4.5, force = 10;
  double root() const { return (-b + std::sqrt(b * b + 4 * a * force)) / (2 * a); }
  double other() const { return (-b - std::sqrt(b * b + 4 * a * force)) / (2 * a); }
  double u(double t) const {
    const double e = root() / other() * std::exp(-a / m * (root() - other()) * t);
    return (root() - e * other()) / (1 - e);
  }
  // u = r2 + (r1 - r2) / (1 - c exp(-k t)), and 1 / (1 - c exp(-k s)) integrates to
  // ln(exp(k s) - c) / k.
  double x(double t) const {
    const double k = a / m * (root() - other()), c = root() / other();
    return other() * t + (root() - other()) / k * std::log((std::exp(k * t) - c) / (1 - c));
  }
};

State surgeAt(double duration, double step) {
  const VehicleDynamics dynamics;
  SimulationRun run{duration, step, State{}, {{{0, {10, 0, 0, 0, 0, 0}}}}};
  State last{};
  simulate(dynamics, run, [&](long, double, const State& x) {
    last = x;
    return true;
  });
  return last;
}

class Simulation : public ::testing::Test {
 protected:
  void SetUp() override { setUpModelData(); }
};

}  // namespace

TEST_F(Simulation, SurgeFromRestMeetsTheClosedFormSolution) {
  const Surge exact;
  EXPECT_NEAR(exact.root(), 0.257832971, 1e-9);
  const State end = surgeAt(10, 0.01);
  EXPECT_NEAR(end[0], exact.u(10), 1e-6);
  EXPECT_NEAR(end[6], exact.x(10), 1e-6);
  EXPECT_NEAR(end[6], 2.54860599, 1e-6);
  for (int i : {1, 2, 3, 4, 5, 7, 8, 9, 10, 11}) EXPECT_EQ(end[i], 0) << i;
}

TEST_F(Simulation, RungeKuttaErrorShrinksAsTheFourthPowerOfTheStep) {
  const Surge exact;
  const double coarse = std::abs(surgeAt(2, 0.05)[6] - exact.x(2));
  const double fine = std::abs(surgeAt(2, 0.025)[6] - exact.x(2));
  EXPECT_GT(coarse / fine, 12);
  EXPECT_LT(coarse / fine, 20);
}

TEST_F(Simulation, RollOscillatesAtTheRestoringMomentsPeriod) {
  // Small roll: Ix p' = -0.1 B phi - 0.1 p (linear damping; the quadratic term is tiny), so
  // phi oscillates at sqrt(w0^2 - s^2), w0^2 = 0.1 B / Ix, s = 0.1 / (2 Ix).
  const VehicleDynamics dynamics;
  State start{};
  start[9] = 0.1;
  std::vector<double> crossings;
  double before = start[9], tBefore = 0;
  simulate(dynamics, {3, 0.001, start, {}}, [&](long, double t, const State& x) {
    if ((before > 0) != (x[9] > 0))
      crossings.push_back(tBefore + (t - tBefore) * before / (before - x[9]));
    before = x[9], tBefore = t;
    return true;
  });
  ASSERT_GE(crossings.size(), 8u);
  const double period = 2 * (crossings[7] - crossings[1]) / 6;
  const double ix = 0.02275, w0 = std::sqrt(0.1 * 45 / ix), s = 0.1 / (2 * ix);
  EXPECT_NEAR(period, 2 * CV_PI / std::sqrt(w0 * w0 - s * s), 0.005);
  EXPECT_NEAR(2 * CV_PI / w0, 0.4467, 1e-3);  // the undamped figure
}

TEST(CameraMounting, ALevelVehicleHeadingNorthLooksStraightDownBowUp) {
  State x{};
  x[6] = 1, x[7] = 2, x[8] = 0.5;  // north, east, depth
  const CameraPoseOnBottom pose = cameraPose(x, 3);
  EXPECT_LT(cv::norm(pose.position - cv::Vec3d(1, -2, 2.5)), 1e-12);
  // The camera's axes in the landmark frame from the quaternion: forward down, right towards
  // east (landmark -y), down in the picture towards the stern (landmark -x).
  const auto [w, qx, qy, qz] =
      std::array{pose.quaternion[0], pose.quaternion[1], pose.quaternion[2], pose.quaternion[3]};
  const cv::Matx33d r(1 - 2 * (qy * qy + qz * qz), 2 * (qx * qy - w * qz), 2 * (qx * qz + w * qy),
                      2 * (qx * qy + w * qz), 1 - 2 * (qx * qx + qz * qz), 2 * (qy * qz - w * qx),
                      2 * (qx * qz - w * qy), 2 * (qy * qz + w * qx), 1 - 2 * (qx * qx + qy * qy));
  const cv::Matx33d expected(0, -1, 0, -1, 0, 0, 0, 0, -1);  // columns: right, down, forward
  EXPECT_LT(cv::norm(r - expected), 1e-12);
  // Turned to the east (yaw 90 degrees) the picture's top points east: landmark -y.
  x[11] = CV_PI / 2;
  const cv::Vec4d q = cameraPose(x, 3).quaternion;
  const cv::Vec3d down(2 * (q[1] * q[2] - q[0] * q[3]), 1 - 2 * (q[1] * q[1] + q[3] * q[3]),
                       2 * (q[2] * q[3] + q[0] * q[1]));
  EXPECT_LT(cv::norm(down - cv::Vec3d(0, 1, 0)), 1e-12);
}

TEST(SimulateCommand, MeasurementsWithoutNoiseAreTheStatesPositionAndSeedsRepeat) {
  const auto dir = scratchFolder();
  const auto csv = (dir / "run.csv").string();
  const std::string start = "0.1,0.05,0,0,0,0.02,0.3,-0.2,1.5,0,0,0.4";
  for (const char* landmarks : {"1", "2", "3", "4"}) {
    const Outcome run = runProgram(QUELLMAR_PATH, dir,
                                   {"simulate", "--duration", "1", "--state", start, "--measure",
                                    landmarks, "--every", "10", "--csv", csv});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const std::vector<std::string> rows = lines(readFile(csv));
    ASSERT_EQ(rows.size(), 12u) << landmarks;  // header and t = 0, 0.1, ..., 1
    EXPECT_EQ(rows[0], "t,u,v,w,p,q,r,x,y,z,phi,theta,psi,mx,my,mz,mpsi");
    for (std::size_t k = 1; k < rows.size(); ++k) {
      std::vector<double> f;
      std::istringstream row(rows[k]);
      for (std::string field; std::getline(row, field, ',');) f.push_back(std::stod(field));
      ASSERT_EQ(f.size(), 17u);
      EXPECT_NEAR(f[0], 0.1 * double(k - 1), 1e-12);
      for (int i = 0; i < 3; ++i) EXPECT_NEAR(f[13 + i], f[7 + i], 1e-9) << landmarks << " " << k;
      EXPECT_EQ(f[16], f[12]);
    }
  }
  // Noise from the seed: the same seed, the same rows; another seed, others.
  std::string outputs[3];
  for (int i = 0; i < 3; ++i) {
    const Outcome run =
        runProgram(QUELLMAR_PATH, dir,
                   {"simulate", "--duration", "0.2", "--measure", "4", "--noise", "0.01",
                    "--heading-noise", "0.02", "--seed", i < 2 ? "7" : "8"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    outputs[i] = run.out;
  }
  EXPECT_EQ(outputs[0], outputs[1]);
  EXPECT_NE(outputs[0], outputs[2]);
}

TEST(SimulateCommand, TheVehicleComesToRestWithoutLosingItsNumbers) {
  // From the default state the speed decays until its square underflows, well within a minute.
  const auto dir = scratchFolder();
  const Outcome run =
      runProgram(QUELLMAR_PATH, dir, {"simulate", "--duration", "60", "--every", "6000"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const std::vector<std::string> rows = lines(run.out);
  ASSERT_EQ(rows.size(), 3u);  // the header, t = 0 and t = 60
  EXPECT_EQ(rows[2].rfind("60,", 0), 0u) << rows[2];
  EXPECT_EQ(rows[2].find("nan"), std::string::npos) << rows[2];
}

TEST(SimulateCommand, TheForceFileIsHeldFromEachRowsTimeOn) {
  const auto dir = scratchFolder();
  std::ofstream(dir / "tau.csv") << "t,X,Y,Z,K,M,N\n0,10,0,0,0,0,0\n5,0,0,0,0,0,0\n";
  const Outcome run = runProgram(QUELLMAR_PATH, dir,
                                 {"simulate", "--state", "0,0,0,0,0,0,0,0,0,0,0,0", "--tau-file",
                                  (dir / "tau.csv").string(), "--every", "500"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const std::vector<std::string> rows = lines(run.out);
  ASSERT_EQ(rows.size(), 4u);  // t = 0, 5, 10
  const double at5 = std::stod(rows[2].substr(rows[2].find(',') + 1));
  const double at10 = std::stod(rows[3].substr(rows[3].find(',') + 1));
  EXPECT_NEAR(at5, Surge{}.u(5), 1e-6);
  EXPECT_LT(at10, at5 / 50);  // coasting: damped to nearly nothing
}

TEST(SimulateCommand, BadInputWritesNothingAndTheRunThatBreaksKeepsItsRows) {
  const auto dir = scratchFolder();
  const auto csv = dir / "run.csv";
  std::ofstream(dir / "bad_tau.csv") << "0,1,2,3\n";
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"--frobnicate"},
           {"--state", "1,2,3"},
           {"--tau", "1,2,3,4,5,nan"},
           {"--step", "0"},
           {"--step", "-0.1"},
           {"--duration", "1e300", "--step", "1e-300"},
           {"--duration", "-1"},
           {"--measure", "5"},
           {"--every", "0"},
           {"--tau-file", (dir / "missing.csv").string()},
           {"--tau-file", (dir / "bad_tau.csv").string()},
           {"--tau", "1,0,0,0,0,0", "--tau-file", (dir / "bad_tau.csv").string()}}) {
    std::vector<std::string> all{"simulate", "--csv", csv.string()};
    all.insert(all.end(), args.begin(), args.end());
    const Outcome run = runProgram(QUELLMAR_PATH, dir, all);
    EXPECT_EQ(run.exitCode, 2) << args.front();
    EXPECT_EQ(lines(run.err).size(), 1u) << run.err;
    EXPECT_FALSE(std::filesystem::exists(csv)) << args.front();
  }
  // A velocity that overflows the model: the first row, then a message and exit 1.
  const Outcome run =
      runProgram(QUELLMAR_PATH, dir,
                 {"simulate", "--state", "1e200,0,0,0,0,0,0,0,0,0,0,0", "--csv", csv.string()});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.err.find("stopped being a number"), std::string::npos) << run.err;
  EXPECT_EQ(lines(readFile(csv)).size(), 2u);
}

// Runs the program and sends it Ctrl-C once `file` holds a few rows: it is running then, its
// handler set up, however slowly a loaded machine started it.
Outcome interruptedOnceWriting(const std::vector<std::string>& command, const std::string& file,
                               const std::filesystem::path& dir) {
  const std::string err = (dir / "err.txt").string();
  std::filesystem::remove(file);  // rows of an earlier run are no sign of this one
  const pid_t pid = fork();
  if (pid == 0) {
    const int errFd = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int nullFd = open("/dev/null", O_WRONLY);
    dup2(errFd, 2);
    dup2(nullFd, 1);
    std::vector<char*> argv;
    for (const std::string& arg : command) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
  }
  int status = 0;
  for (int waited = 0; waited < 6000 && waitpid(pid, &status, WNOHANG) == 0; ++waited) {
    if (lines(readFile(file)).size() > 3) {
      kill(pid, SIGINT);
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  waitpid(pid, &status, 0);
  Outcome outcome;
  outcome.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  outcome.err = readFile(err);
  return outcome;
}

// A file size limit (a full disk) and Ctrl-C stop a long run after a whole row of each file.
TEST(SimulateCommand, ARunStoppedByAFullDiskOrCtrlCEndsItsFilesAtWholeRows) {
  const auto dir = scratchFolder();
  const auto csv = (dir / "run.csv").string(), poses = (dir / "poses.csv").string();
  const std::vector<std::string> simulate = {QUELLMAR_PATH, "simulate", "--duration",     "1e6",
                                             "--csv",       csv,        "--camera-poses", poses};
  const struct {
    std::function<Outcome()> run;
    int exitCode;
    const char* says;
  } cases[] = {
      {[&] {
         return runProgram(QUELLMAR_PATH, dir, {simulate.begin() + 1, simulate.end()},
                           "ulimit -f 4");
       },
       1, "ends at the last complete row"},
      {[&] { return interruptedOnceWriting(simulate, csv, dir); }, 130, "interrupted at t = "}};
  for (const auto& one : cases) {
    const Outcome run = one.run();
    EXPECT_EQ(run.exitCode, one.exitCode) << run.err;
    EXPECT_NE(run.err.find(one.says), std::string::npos) << run.err;
    for (const auto& [file, fields] : {std::pair{csv, 13}, std::pair{poses, 8}}) {
      const std::string written = readFile(file);
      ASSERT_GT(lines(written).size(), 2u) << file;
      EXPECT_EQ(written.back(), '\n') << file;
      for (const std::string& row : lines(written))
        EXPECT_EQ(std::count(row.begin(), row.end(), ','), fields - 1) << file << ": " << row;
    }
  }
}
