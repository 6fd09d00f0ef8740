// Landmark layout files: the user's own landmark, and the refusal of layouts that cannot give a
// pose or are not layouts, each with its reason.
#include <gtest/gtest.h>

#include "layout_file.hpp"

namespace Orvanta::site {
namespace {

const std::string kFrame =
    R"({"balls": {"green": [0, 0, 0], "red": [1.0, 0.005, 0], "blue": [1.0, -0.6, 0], )"
    R"("yellow": [0, -0.6, 0.01]}, "ball_radius": 0.06, "heading_deg": -35.5})";

TEST(LayoutFile, ReadsTheUsersLandmark) {
  std::string problem;
  const std::optional<LandmarkLayout> layout = parseLayoutText(kFrame, &problem);
  ASSERT_TRUE(layout) << problem;
  EXPECT_EQ(layout->centres[1], cv::Point3d(1.0, 0.005, 0));
  EXPECT_EQ(layout->centres[3], cv::Point3d(0, -0.6, 0.01));
  EXPECT_EQ(layout->ballRadius, 0.06);
  EXPECT_EQ(layout->headingDegrees, -35.5);
  // Radius and heading may be left out.
  const auto plain = parseLayoutText(
      R"({"balls": {"green": [0, 0, 0], "red": [0.7, 0, 0], "blue": [0.7, -0.51, 0],
                    "yellow": [0, -0.51, 0]}})",
      &problem);
  ASSERT_TRUE(plain) << problem;
  EXPECT_EQ(plain->centres, defaultLayout().centres);
  EXPECT_EQ(plain->ballRadius, defaultLayout().ballRadius);
}

TEST(LayoutFile, RefusesWhatCannotGiveAPoseWithTheReason) {
  auto replaced = [](const std::string& from, const std::string& to) {
    std::string text = kFrame;
    return text.replace(text.find(from), from.size(), to);
  };
  const struct {
    std::string text;
    std::string reason;
  } files[] = {
      {"", "not valid JSON"},
      {"[1, 2]", "expected a JSON object with \"balls\""},
      {replaced("\"ball_radius\"", "\"radius\""), "unknown key \"radius\""},
      {replaced("\"yellow\"", "\"purple\""), "unknown ball \"purple\""},
      {replaced("\"yellow\": [0, -0.6, 0.01]", "\"green\": [0, -0.6, 0.01]"), "appears twice"},
      {replaced(", \"yellow\": [0, -0.6, 0.01]", ""), "balls.yellow must be a list"},
      {replaced("[1.0, -0.6, 0]", "[1.0, -0.6]"), "balls.blue must be a list"},
      {replaced("[1.0, -0.6, 0]", "[1.0, \"a\", 0]"), "balls.blue must be metres"},
      {replaced("[1.0, -0.6, 0]", "[1.0, -0.6, 1e9]"), "balls.blue must be metres"},
      {replaced("0.06", "\"big\""), "ball_radius must be a number"},
      {replaced("0.06", "0.001"), "radius must be from 0.005 to 1 m"},
      {replaced("-35.5", "400"), "heading_deg must be degrees"},
      {replaced("[1.0, 0.005, 0]", "[0.1, 0.005, 0]"), "green and red are closer than two radii"},
      {replaced("[1.0, -0.6, 0]", "[2.0, 0.03, 0]"), "green, red and blue lie in a line"},
  };
  for (const auto& file : files) {
    std::string problem;
    EXPECT_FALSE(parseLayoutText(file.text, &problem)) << file.text;
    EXPECT_NE(problem.find(file.reason), std::string::npos) << problem << "\n" << file.text;
  }
}

}  // namespace
}  // namespace Orvanta::site
