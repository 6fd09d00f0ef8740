#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>

#include "calibration_file.hpp"
#include "state.hpp"

using namespace Orvanta;
namespace fs = std::filesystem;

namespace {

const std::array<int*, 14> kTrackbarVariables = {
    &switch_value_median,     &IntMedian,   &low_switch_value,       &lowInt,
    &high_switch_value,       &highInt,     &low_switch_value_filt,  &lowIntFilt,
    &high_switch_value_filt,  &highIntFilt, &low_switch_value_hough, &lowIntHough,
    &high_switch_value_hough, &highIntHough};

// Uncalibrated balls, trackbars at 0 and a scratch folder; the globals are restored after.
class CalibrationFile : public ::testing::Test {
 protected:
  void SetUp() override {
    savedBalls_ = {zelena, crvena, plava, zuta};
    savedSelected_ = odabran_piksel;
    for (std::size_t i = 0; i < kTrackbarVariables.size(); ++i)
      savedTrackbars_[i] = std::exchange(*kTrackbarVariables[i], 0);
    zelena = crvena = plava = zuta = circles{};
    odabran_piksel = false;
    dir_ =
        fs::temp_directory_path() /
        ("orvanta_" + std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::create_directories(dir_);
  }
  void TearDown() override {
    zelena = savedBalls_[0], crvena = savedBalls_[1], plava = savedBalls_[2];
    zuta = savedBalls_[3];
    odabran_piksel = savedSelected_;
    for (std::size_t i = 0; i < kTrackbarVariables.size(); ++i)
      *kTrackbarVariables[i] = savedTrackbars_[i];
    fs::remove_all(dir_);
  }

  std::string write(const std::string& text) {
    const std::string path = (dir_ / "calibration.json").string();
    std::ofstream(path) << text;
    return path;
  }

  fs::path dir_;

 private:
  std::array<circles, 4> savedBalls_;
  std::array<int, 14> savedTrackbars_{};
  bool savedSelected_ = false;
};

}  // namespace

TEST_F(CalibrationFile, LoadDerivesHsvAndNormFromRgb) {
  crvena.distance = 1.5;
  std::string error;
  ASSERT_TRUE(
      loadCalibration(write(R"({"green": {"rgb": [200, 100, 50], "threshold": 180}})"), &error))
      << error;
  EXPECT_EQ(zelena.r, 200);
  EXPECT_EQ(zelena.b, 50);
  EXPECT_EQ(zelena.h, 14);
  EXPECT_EQ(zelena.s, 191);
  EXPECT_EQ(zelena.v, 200);
  EXPECT_EQ(zelena.threshold, 180);
  EXPECT_DOUBLE_EQ(zelena.hsvNorm, std::sqrt(14.0 * 14 + 191 * 191 + 200 * 200));
  EXPECT_TRUE(odabran_piksel);
  EXPECT_EQ(crvena.hsvNorm, 0);  // absent: stays uncalibrated
  EXPECT_EQ(crvena.distance, 1.5);
}

TEST_F(CalibrationFile, TrackbarsSetPositionAndCopy) {
  ASSERT_TRUE(
      loadCalibration(write(R"({"trackbars": {"IntMedian": 9, "lowIntHough": 10}})"), nullptr));
  EXPECT_EQ(switch_value_median, 9);
  EXPECT_EQ(IntMedian, 9);
  EXPECT_EQ(low_switch_value_hough, 10);
  EXPECT_EQ(lowIntHough, 10);
  EXPECT_FALSE(odabran_piksel);  // no colour in the file
}

TEST_F(CalibrationFile, BadFileIsRejectedWithOneLineAndChangesNothing) {
  const std::pair<std::string, std::string> cases[] = {
      {R"({"green": {"rgb": [1, 2, 3], "threshold": 4})", "JSON"},
      // Valid trackbars before the bad value are not applied either.
      {R"({"trackbars": {"IntMedian": 3}, "green": {"rgb": [0, 256, 0], "threshold": 10}})",
       "green.rgb[1]"},
      {R"({"red": {"rgb": [0, 0, 0], "threshold": -1}})", "red.threshold"},
      {R"({"green": {"rgb": [0, 0.5, 0], "threshold": 1}})", "whole number"},
      {R"({"green": {"rgb": [0, 0, 0]}})", "threshold"},
      {R"({"gren": {"rgb": [0, 0, 0], "threshold": 1}})", "gren"},
      {R"({"trackbars": {"IntMedian": 10}})", "0..9"},
      {R"({"trackbars": {"highInt": 11}})", "0..10"},
      {R"({"ball_radius": 0})", "ball_radius"},
      {R"({"ball_radius": 0.5})", "from 0.005 to 0.255 (larger balls would overlap"},
      {R"({"green": {"rgb": [1, 2, 3], "threshold": 4}, "green": {"rgb": [9, 9, 9], "threshold": 9}})",
       "\"green\" appears twice"},
      {R"({"trackbars": {"lowInt": 1, "lowInt": 2}})", "\"lowInt\" appears twice"},
      {R"({"trackbars": {"lowInt": 1}} {"trackbars": {"lowInt": 2}})", "more after the document"},
      {R"({"ball_radius": "5 cm", "trackbars": {"IntMedian": 3}})", "ball_radius"},
      // Keys with control characters are named escaped, on the message's one line.
      {R"({"green": {"rgb": [10, 200, 30], "threshold": 192, "high\ntHough": 3}})",
       R"("high\ntHough")"},
      {R"({"gre\nen": 1})", R"("gre\nen")"},
      {R"({"trackbars": {"low\rInt": 1}})", R"("low\rInt")"},
      {R"({"a\nb": 1, "a\nb": 2})", R"("a\nb" appears twice)"},
      // A huge key is named by its start and its size.
      {"{\"" + std::string(100000, 'k') + "\": 1}", "kkk...\" (100000 bytes)"},
  };
  for (const auto& [text, problem] : cases) {
    SCOPED_TRACE(text);
    const std::string path = write(text);
    std::string error;
    EXPECT_FALSE(loadCalibration(path, &error));
    EXPECT_EQ(error.find(path), 0u) << error;
    EXPECT_NE(error.find(problem), std::string::npos) << error;
    EXPECT_EQ(error.find('\n'), std::string::npos);
    EXPECT_LT(error.size(), path.size() + 160);
    EXPECT_EQ(zelena.g, 0);
    EXPECT_EQ(IntMedian, 0);
    EXPECT_FALSE(odabran_piksel);
  }
  std::string error;
  EXPECT_FALSE(loadCalibration((dir_ / "absent.json").string(), &error));
  EXPECT_NE(error.find("absent.json: no such file"), std::string::npos) << error;
}

// Earlier versions could store a click's column past 255 as a threshold: their files load.
TEST_F(CalibrationFile, AThresholdAboveTheScaleFromAnEarlierRunLoadsAsTheMostWithANote) {
  CalibrationSetup setup;
  const std::string path =
      write(R"({"green": {"rgb": [0, 200, 0], "threshold": 232}, "red": {"rgb": [200, 0, 0],)"
            R"( "threshold": 300}, "blue": {"rgb": [0, 0, 200], "threshold": 4000}})");
  std::string error;
  ASSERT_TRUE(loadCalibration(path, &error, &setup)) << error;
  EXPECT_EQ(zelena.threshold, 232);
  EXPECT_EQ(crvena.threshold, 255);
  EXPECT_EQ(plava.threshold, 255);
  EXPECT_EQ(setup.note,
            path + ": red.threshold 300 is read as 255; blue.threshold 4000 is read as 255");
}

TEST_F(CalibrationFile, SavedCalibrationLoadsBack) {
  ASSERT_TRUE(loadCalibration(write(R"({"green": {"rgb": [0, 200, 0], "threshold": 200},
                                        "blue": {"rgb": [0, 0, 255], "threshold": 150},
                                        "trackbars": {"highIntFilt": 4}})"),
                              nullptr));
  const std::string saved = (dir_ / "saved.json").string();
  std::string error;
  ASSERT_TRUE(saveCalibration(saved, &error)) << error;
  EXPECT_FALSE(fs::exists(saved + ".tmp"));

  zelena = plava = circles{};
  highIntFilt = high_switch_value_filt = 0;
  ASSERT_TRUE(loadCalibration(saved, &error)) << error;
  EXPECT_EQ(zelena.g, 200);
  EXPECT_EQ(zelena.threshold, 200);
  EXPECT_EQ(plava.h, 171);
  EXPECT_EQ(plava.threshold, 150);
  EXPECT_EQ(crvena.hsvNorm, 0);  // never calibrated, so not written
  EXPECT_EQ(highIntFilt, 4);
  EXPECT_EQ(high_switch_value_filt, 4);
}

TEST_F(CalibrationFile, SetUpEntriesLoadAndSaveOnlyWhenGiven) {
  CalibrationSetup setup;
  ASSERT_TRUE(loadCalibration(write(R"({"ball_radius": 0.0375, "camera": "cam/front.yml"})"),
                              nullptr, &setup));
  EXPECT_EQ(setup.ballRadius, 0.0375);
  EXPECT_EQ(cameraFileOf(setup, (dir_ / "c.json").string()), (dir_ / "cam/front.yml").string());
  const std::string saved = (dir_ / "saved.json").string();
  for (const CalibrationSetup& written : {setup, CalibrationSetup{}}) {
    fs::remove(saved);  // a file's own entries would stay
    ASSERT_TRUE(saveCalibration(saved, nullptr, written));
    std::ifstream in(saved);
    const std::string text((std::istreambuf_iterator<char>(in)), {});
    EXPECT_EQ(text.find("ball_radius") != std::string::npos, written.ballRadius != 0.05) << text;
    EXPECT_EQ(text.find("camera") != std::string::npos, !written.camera.empty()) << text;
    CalibrationSetup read{0, "before"};
    ASSERT_TRUE(loadCalibration(saved, nullptr, &read));
    EXPECT_EQ(read.ballRadius, written.camera.empty() ? 0 : 0.0375);  // absent: left as it was
    EXPECT_EQ(read.camera, written.camera.empty() ? "before" : written.camera);
  }
}

TEST_F(CalibrationFile, SavesKeepModesLinksAndTheUsersOtherFiles) {
  ASSERT_TRUE(
      loadCalibration(write(R"({"green": {"rgb": [0, 200, 0], "threshold": 200}})"), nullptr));
  const auto mode = [](const fs::path& p) { return fs::status(p).permissions() & fs::perms::mask; };
  // A private file stays private.
  const fs::path secret = dir_ / "secret.json";
  std::ofstream(secret) << "{}";
  fs::permissions(secret, fs::perms::owner_read | fs::perms::owner_write);
  ASSERT_TRUE(saveCalibration(secret.string(), nullptr));
  EXPECT_EQ(mode(secret), fs::perms::owner_read | fs::perms::owner_write);
  // A read-only file is refused and left as it was.
  const fs::path locked = dir_ / "locked.json";
  std::ofstream(locked) << "{}";
  fs::permissions(locked, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  std::string error;
  EXPECT_FALSE(saveCalibration(locked.string(), &error));
  EXPECT_NE(error.find("read-only"), std::string::npos) << error;
  std::ifstream lockedIn(locked);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(lockedIn), {}), "{}");
  // Through a link: the link stays and its target holds the calibration.
  const fs::path target = dir_ / "real.json", link = dir_ / "link.json";
  std::ofstream(target) << "{}";
  fs::create_symlink("real.json", link);
  ASSERT_TRUE(saveCalibration(link.string(), nullptr));
  EXPECT_TRUE(fs::is_symlink(fs::symlink_status(link)));
  zelena = circles{};
  ASSERT_TRUE(loadCalibration(target.string(), nullptr));
  EXPECT_EQ(zelena.g, 200);
  // The user's own "saved.json.tmp" is not a scratch file; nothing of ours is left over.
  const fs::path saved = dir_ / "saved.json";
  std::ofstream(saved.string() + ".tmp") << "mine";
  ASSERT_TRUE(saveCalibration(saved.string(), nullptr));
  std::ifstream theirs(saved.string() + ".tmp");
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(theirs), {}), "mine");
  for (const auto& entry : fs::directory_iterator(dir_))
    EXPECT_FALSE(entry.path().filename().string().starts_with(".")) << entry.path();
}

// Another program may have changed the file since it was read: what it wrote stays, and a file
// that is no longer a JSON object (half written, say) is not written over.
TEST_F(CalibrationFile, SavesKeepWhatAnotherProgramWroteAndRefuseWhatIsNoCalibration) {
  ASSERT_TRUE(
      loadCalibration(write(R"({"green": {"rgb": [0, 200, 0], "threshold": 200}})"), nullptr));
  const std::string theirs =
      R"({"yellow": {"rgb": [200, 200, 0], "threshold": 150}, "ball_radius": 0.06,)"
      R"( "camera": "c.yml", "green": {"rgb": [1, 1, 1], "threshold": 9}})";
  const struct {
    std::string onDisk;
    bool saved;
  } cases[] = {{theirs, true}, {"[1, 2]", false}, {R"({"green": )", false}};
  for (const auto& one : cases) {
    const std::string path = write(one.onDisk);
    std::string error, written;
    EXPECT_EQ(saveCalibration(path, &error, CalibrationSetup{0.05, "old.yml"}, &written), one.saved)
        << one.onDisk;
    std::ifstream in(path);
    const std::string now((std::istreambuf_iterator<char>(in)), {});
    if (!one.saved) {
      EXPECT_EQ(now, one.onDisk);
      EXPECT_NE(error.find("not written over"), std::string::npos) << error;
      continue;
    }
    EXPECT_EQ(now, written);
    CalibrationSetup read;
    zelena = zuta = circles{};
    ASSERT_TRUE(loadCalibration(path, &error, &read)) << error;
    EXPECT_EQ(zelena.g, 200);        // this program's ball
    EXPECT_EQ(zuta.threshold, 150);  // theirs, not calibrated here
    EXPECT_EQ(read.ballRadius, 0.06);
    EXPECT_EQ(read.camera, "c.yml");
    EXPECT_NE(now.find("trackbars"), std::string::npos) << now;
  }
}

TEST_F(CalibrationFile, FailedSaveNamesTheFile) {
  const std::string path = (dir_ / "no" / "such" / "calibration.json").string();
  std::string error;
  EXPECT_FALSE(saveCalibration(path, &error));
  EXPECT_EQ(error.find(path), 0u) << error;
}

TEST_F(CalibrationFile, TrackbarAssignmentsAreAllOrNothing) {
  std::string error;
  ASSERT_TRUE(parseTrackbarAssignments("IntMedian=2,highIntHough=3", &error)) << error;
  EXPECT_EQ(IntMedian, 2);
  EXPECT_EQ(switch_value_median, 2);
  EXPECT_EQ(highIntHough, 3);
  EXPECT_EQ(high_switch_value_hough, 3);

  EXPECT_FALSE(parseTrackbarAssignments("IntMedian=5,highIntHough=11", &error));
  EXPECT_NE(error.find("highIntHough"), std::string::npos) << error;
  EXPECT_FALSE(parseTrackbarAssignments("IntMedian=two", &error));
  EXPECT_FALSE(parseTrackbarAssignments("Median=1", &error));
  EXPECT_FALSE(parseTrackbarAssignments("", &error));
  for (const char* bad :
       {"IntMedian=3,,lowInt=1", ",IntMedian=3", "IntMedian=3,lowInt=1,IntMedian=3"})
    EXPECT_FALSE(parseTrackbarAssignments(bad, &error)) << bad;
  EXPECT_NE(error.find("IntMedian is named twice"), std::string::npos) << error;
  EXPECT_EQ(IntMedian, 2);
}
