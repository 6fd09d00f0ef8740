#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <string>

#ifdef QUELLMAR_PATH

TEST(QuellmarProgram, PrintsTheSimulatedMeasurementAndSucceeds) {
  FILE* pipe = popen(QUELLMAR_PATH, "r");
  ASSERT_NE(pipe, nullptr);
  std::string output;
  char buffer[256];
  for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
    output.append(buffer, n);
  }
  const int status = pclose(pipe);
  EXPECT_EQ(output,
            "      2.01776\n"
            "     -1.72322\n"
            "      7.09563\n"
            "         45.1\n"
            "\n");
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

#endif
