// The quellmar program run as users run it: the fixed scenario's five lines, what it does when
// its output cannot be written, and arguments it does not know.
#include <gtest/gtest.h>

#include "support/run_program.hpp"
#include "support/scratch.hpp"

#ifdef QUELLMAR_PATH

using namespace OrvantaTest;

TEST(QuellmarProgram, PrintsTheSimulatedMeasurementAndSucceeds) {
  const Outcome run = runProgram(QUELLMAR_PATH, scratchFolder(), {});
  EXPECT_EQ(run.out,
            "      2.01776\n"
            "     -1.72322\n"
            "      7.09563\n"
            "         45.1\n"
            "\n");
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.err, "");
}

TEST(QuellmarProgram, ALostMeasurementIsAnError) {
  const auto dir = scratchFolder();
  for (const char* output : {"/dev/full", ">&-"}) {
    const Outcome run = runProgram(QUELLMAR_PATH, dir, {}, "", output);
    EXPECT_EQ(run.exitCode, 1) << output;
    EXPECT_EQ(lines(run.err).size(), 1u) << run.err;
  }
}

TEST(QuellmarProgram, UnknownArgumentsAreUsageErrors) {
  const auto dir = scratchFolder();
  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{{"frobnicate"}, {"--verbose"}, {"", ""}}) {
    const Outcome run = runProgram(QUELLMAR_PATH, dir, args);
    EXPECT_EQ(run.exitCode, 2) << args.front();
    EXPECT_NE(run.err.find("usage: quellmar"), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "");
  }
}

#endif
