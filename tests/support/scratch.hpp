// A scratch folder per test, inside one folder of this test process's own.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <stdexcept>
#include <string>

namespace OrvantaTest {

// A folder made for this process alone (mkdtemp), so that two runs of the suite at once never
// share one; removed with everything in it when the process ends.
class ProcessScratch {
 public:
  ProcessScratch() {
    std::string pattern = (std::filesystem::temp_directory_path() / "orvanta-tests-XXXXXX");
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("cannot make a scratch folder");
    root_ = pattern;
  }
  ~ProcessScratch() {
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
  }
  ProcessScratch(const ProcessScratch&) = delete;
  ProcessScratch& operator=(const ProcessScratch&) = delete;
  const std::filesystem::path& root() const { return root_; }

 private:
  std::filesystem::path root_;
};

// The folder of the running test, inside this process's scratch folder; made on the test's first
// call, the same folder on later calls.
inline std::filesystem::path scratchFolder() {
  static const ProcessScratch process;
  const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
  const auto dir = process.root() / (std::string(test->test_suite_name()) + "." + test->name());
  std::filesystem::create_directories(dir);
  return dir;
}

}  // namespace OrvantaTest
