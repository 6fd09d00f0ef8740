#include "layout_file.hpp"

#include <algorithm>
#include <cmath>

#include "json_text.hpp"
#include "text_file.hpp"

namespace Orvanta::site {

namespace {

constexpr double kFarthest = 1000;  // metres from the landmark origin

std::optional<double> number(const Json& value, double limit) {
  if (!value.is_number()) return std::nullopt;
  const double v = value.get<double>();
  if (!(std::abs(v) <= limit)) return std::nullopt;
  return v;
}

std::optional<std::string> centresProblem(const Json& balls, LandmarkLayout& layout) {
  if (!balls.is_object()) return "balls must be an object of ball centres";
  for (const auto& [key, value] : balls.items())
    if (std::find(kBallNames.begin(), kBallNames.end(), key) == kBallNames.end())
      return "balls: unknown ball " + keyText(key) + " (green, red, blue, yellow)";
  for (int i = 0; i < kBallCount; ++i) {
    const std::string name = kBallNames[i];
    const Json centre = balls.contains(name) ? balls[name] : Json();
    if (!centre.is_array() || centre.size() != 3)
      return "balls." + name + " must be a list of three numbers [x, y, z]";
    cv::Vec3d at;
    for (int axis = 0; axis < 3; ++axis) {
      const std::optional<double> v = number(centre[axis], kFarthest);
      if (!v) return "balls." + name + " must be metres within 1000 of the origin";
      at[axis] = *v;
    }
    layout.centres[i] = at;
  }
  return std::nullopt;
}

}  // namespace

std::optional<LandmarkLayout> parseLayoutText(const std::string& text, std::string* problem) {
  const std::optional<Json> document = parseStrictJson(text, problem);
  if (!document) return std::nullopt;
  if (!document->is_object() || !document->contains("balls"))
    return refuse(problem, "expected a JSON object with \"balls\"");
  LandmarkLayout layout = defaultLayout();
  for (const auto& [key, value] : document->items()) {
    if (key == "balls") {
      if (const auto bad = centresProblem(value, layout)) return refuse(problem, *bad);
    } else if (key == "ball_radius") {
      const std::optional<double> r = number(value, 1e3);
      if (!r) return refuse(problem, "ball_radius must be a number of metres");
      layout.ballRadius = *r;
    } else if (key == "heading_deg") {
      const std::optional<double> heading = number(value, 360);
      if (!heading) return refuse(problem, "heading_deg must be degrees from -360 to 360");
      layout.headingDegrees = *heading;
    } else {
      return refuse(problem, "unknown key " + keyText(key) + " (balls, ball_radius, heading_deg)");
    }
  }
  if (const auto bad = layoutProblem(layout)) return refuse(problem, *bad);
  return layout;
}

std::optional<LandmarkLayout> readLayoutFile(const std::string& path, std::string* problem) {
  const std::optional<std::string> text = readTextFile(path, problem);
  if (!text) return std::nullopt;
  return parseLayoutText(*text, problem);
}

}  // namespace Orvanta::site
