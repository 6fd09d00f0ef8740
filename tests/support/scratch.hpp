// A scratch folder per test, under the system's temporary folder.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace OrvantaTest {

// A fresh folder named after the running test, under the system's temporary folder.
inline std::filesystem::path scratchFolder() {
  const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
  const auto dir = std::filesystem::temp_directory_path() / "orvanta-tests" /
                   (std::string(test->test_suite_name()) + "." + test->name());
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  return dir;
}

}  // namespace OrvantaTest
