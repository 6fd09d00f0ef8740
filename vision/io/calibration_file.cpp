#include "calibration_file.hpp"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <optional>
#include <sstream>

#include "atomic_file.hpp"
#include "colour.hpp"
#include "detection.hpp"
#include "json_text.hpp"
#include "landmark_layout.hpp"
#include "state.hpp"
#include "text_file.hpp"

namespace Orvanta {

namespace {

using site::Json;
using site::keyText;

struct TrackbarSetting {
  const char* name;  // the copy variable's name
  int* position;
  int* copy;
  int maximum;
};

constexpr int medianMaximum = int(medianApertures.size()) - 1;
constexpr int tableMaximum = int(houghParameters.size()) - 1;
const std::array<TrackbarSetting, 7> trackbarSettings = {{
    {"IntMedian", &switch_value_median, &IntMedian, medianMaximum},
    {"lowInt", &low_switch_value, &lowInt, tableMaximum},
    {"highInt", &high_switch_value, &highInt, tableMaximum},
    {"lowIntFilt", &low_switch_value_filt, &lowIntFilt, tableMaximum},
    {"highIntFilt", &high_switch_value_filt, &highIntFilt, tableMaximum},
    {"lowIntHough", &low_switch_value_hough, &lowIntHough, tableMaximum},
    {"highIntHough", &high_switch_value_hough, &highIntHough, tableMaximum},
}};

// Everything a file or an assignment list sets, collected before any global is touched.
struct Staged {
  std::array<std::optional<circles>, site::kBallCount> balls;
  std::array<std::optional<int>, 7> trackbars;
  std::optional<double> ballRadius;
  std::optional<std::string> camera;
  std::string note;  // what was read otherwise than written

  void commit() const {
    for (std::size_t i = 0; i < balls.size(); ++i) {
      if (!balls[i]) continue;
      ballRecord(int(i) + 1) = *balls[i];
      odabran_piksel = true;
    }
    for (std::size_t i = 0; i < trackbars.size(); ++i) {
      if (trackbars[i]) *trackbarSettings[i].position = *trackbarSettings[i].copy = *trackbars[i];
    }
  }
};

std::string wholeNumberText(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.0f", value);
  return text;
}

bool readInteger(const Json& value, const std::string& where, int minimum, int maximum, int& out,
                 std::string& problem) {
  if (!value.is_number_integer()) {
    problem = where + " must be a whole number";
    return false;
  }
  const double number = value.get<double>();
  if (number < minimum || number > maximum) {
    problem = where + " = " + wholeNumberText(number) + " is outside " + std::to_string(minimum) +
              ".." + std::to_string(maximum);
    return false;
  }
  out = int(number);
  return true;
}

bool stageTrackbar(const std::string& name, const Json& value, const std::string& prefix,
                   Staged& staged, std::string& problem) {
  for (std::size_t i = 0; i < trackbarSettings.size(); ++i) {
    if (name != trackbarSettings[i].name) continue;
    int position = 0;
    if (!readInteger(value, prefix + name, 0, trackbarSettings[i].maximum, position, problem))
      return false;
    staged.trackbars[i] = position;
    return true;
  }
  problem = "unknown trackbar " + keyText(name) +
            " (IntMedian, lowInt, highInt, lowIntFilt, highIntFilt, lowIntHough, highIntHough)";
  return false;
}

// The colour fields exactly as the calibration click and the histogram fill them.
void setColour(circles& ball, int r, int g, int b, int threshold) {
  const hsv_color derived = rgb_to_hsv({std::uint8_t(r), std::uint8_t(g), std::uint8_t(b)});
  ball.r = r, ball.g = g, ball.b = b;
  ball.h = derived.h, ball.s = derived.s, ball.v = derived.v;
  ball.threshold = threshold;
  ball.hsvNorm = hsvNormOf(derived);
}

bool stageBall(std::size_t index, const Json& entry, Staged& staged, std::string& problem) {
  const std::string where = site::kBallNames[index];
  if (!entry.is_object()) {
    problem = where + " must be an object {\"rgb\": [r, g, b], \"threshold\": t}";
    return false;
  }
  for (const auto& [key, value] : entry.items()) {
    if (key != "rgb" && key != "threshold") {
      problem = where + ": unknown key " + keyText(key);
      return false;
    }
  }
  if (!entry.contains("rgb") || !entry.contains("threshold")) {
    problem = where + " needs both \"rgb\" and \"threshold\"";
    return false;
  }
  const Json& rgbEntry = entry["rgb"];
  if (!rgbEntry.is_array() || rgbEntry.size() != 3) {
    problem = where + ".rgb must be a list of three numbers [r, g, b]";
    return false;
  }
  std::array<int, 4> values{};  // r, g, b, threshold
  for (std::size_t i = 0; i < 3; ++i) {
    if (!readInteger(rgbEntry[i], where + ".rgb[" + std::to_string(i) + "]", 0, 255, values[i],
                     problem))
      return false;
  }
  // A click outside the histogram could store more than 255 in earlier versions: such a file
  // still loads, with the most a threshold can be.
  if (!readInteger(entry["threshold"], where + ".threshold", 0, std::numeric_limits<int>::max(),
                   values[3], problem))
    return false;
  if (values[3] > 255) {
    staged.note += (staged.note.empty() ? "" : "; ") + where + ".threshold " +
                   std::to_string(values[3]) + " is read as 255";
    values[3] = 255;
  }
  circles ball = ballRecord(int(index) + 1);
  setColour(ball, values[0], values[1], values[2], values[3]);
  staged.balls[index] = ball;
  return true;
}

bool stageTrackbars(const Json& entry, Staged& staged, std::string& problem) {
  if (!entry.is_object()) {
    problem = "trackbars must be an object of trackbar positions";
    return false;
  }
  for (const auto& [key, value] : entry.items()) {
    if (!stageTrackbar(key, value, "trackbars.", staged, problem)) return false;
  }
  return true;
}

constexpr double smallestBall = 0.005;  // metres

// Half the distance of the landmark's two closest balls: larger balls would overlap, and no
// picture would give a pose.
double largestBall() {
  const auto& c = site::defaultLayout().centres;
  double closest = INFINITY;
  for (std::size_t i = 0; i < c.size(); ++i)
    for (std::size_t j = i + 1; j < c.size(); ++j)
      closest = std::min(closest, cv::norm(c[i] - c[j]));
  return closest / 2;
}

bool stageBallRadius(const Json& value, Staged& staged, std::string& problem) {
  const double radius = value.is_number() ? value.get<double>() : NAN;
  if (!(radius >= smallestBall && radius <= largestBall())) {
    char limit[32];
    std::snprintf(limit, sizeof limit, "%g", largestBall());
    problem = "ball_radius must be a number of metres from 0.005 to " + std::string(limit) +
              " (larger balls would overlap in the landmark)";
    return false;
  }
  staged.ballRadius = radius;
  return true;
}

bool stageDocument(const Json& document, Staged& staged, std::string& problem) {
  if (!document.is_object()) {
    problem = "expected a JSON object";
    return false;
  }
  for (const auto& [key, value] : document.items()) {
    if (key == "trackbars") {
      if (!stageTrackbars(value, staged, problem)) return false;
      continue;
    }
    if (key == "ball_radius") {
      if (!stageBallRadius(value, staged, problem)) return false;
      continue;
    }
    if (key == "camera") {
      if (!value.is_string() || value.get<std::string>().empty() ||
          value.get<std::string>().size() > 4096) {
        problem = "camera must name a camera file";
        return false;
      }
      staged.camera = value.get<std::string>();
      continue;
    }
    const auto ball = std::find(site::kBallNames.begin(), site::kBallNames.end(), key);
    if (ball == site::kBallNames.end()) {
      problem = "unknown key " + keyText(key) +
                " (green, red, blue, yellow, trackbars, ball_radius, camera)";
      return false;
    }
    if (!stageBall(std::size_t(ball - site::kBallNames.begin()), value, staged, problem))
      return false;
  }
  return true;
}

bool fail(std::string* error, const std::string& message) {
  if (error) *error = message;
  return false;
}

Json calibrationDocument(const CalibrationSetup& setup) {
  Json document = Json::object();
  for (int i = 1; i <= site::kBallCount; ++i) {
    const circles& ball = ballRecord(i);
    if (calibrated(ball))
      document[site::kBallNames[i - 1]] = {{"rgb", {ball.r, ball.g, ball.b}},
                                           {"threshold", ball.threshold}};
  }
  Json trackbars = Json::object();
  for (const TrackbarSetting& setting : trackbarSettings) trackbars[setting.name] = *setting.copy;
  document["trackbars"] = trackbars;
  if (setup.ballRadius != site::kDefaultBallRadius) document["ball_radius"] = setup.ballRadius;
  if (!setup.camera.empty()) document["camera"] = setup.camera;
  return document;
}

// What the file on disk holds beside this program's entries stays: keys it does not write, balls
// it has not calibrated, and the file's ball_radius and camera, which it never changes. False
// when the file is no longer a JSON object (another program may be writing it).
bool keepOthersEntries(const std::string& path, Json& document, std::string& problem) {
  const std::optional<std::string> text = site::readTextFile(path, &problem);
  const std::optional<Json> current = text ? site::parseStrictJson(*text, &problem) : std::nullopt;
  if (!current) return false;
  if (!current->is_object()) {
    problem = "it no longer holds a JSON object";
    return false;
  }
  for (const auto& [key, value] : current->items())
    if (!document.contains(key) || key == "ball_radius" || key == "camera") document[key] = value;
  return true;
}

}  // namespace

std::string cameraFileOf(const CalibrationSetup& setup, const std::string& calibrationPath) {
  if (setup.camera.empty()) return "";
  return (std::filesystem::path(calibrationPath).parent_path() / setup.camera).string();
}

bool loadCalibration(const std::string& path, std::string* error, CalibrationSetup* setup,
                     std::string* text) {
  std::string problem;
  const std::optional<std::string> read = site::readTextFile(path, &problem);
  if (!read) return fail(error, path + ": " + problem);
  if (!applyCalibrationText(*read, path, error, setup)) return false;
  if (text) *text = *read;
  return true;
}

bool applyCalibrationText(const std::string& text, const std::string& name, std::string* error,
                          CalibrationSetup* setup) {
  std::string problem;
  const std::optional<Json> document = site::parseStrictJson(text, &problem);
  if (!document) return fail(error, name + ": " + problem);
  Staged staged;
  if (!stageDocument(*document, staged, problem)) return fail(error, name + ": " + problem);
  staged.commit();
  if (setup && staged.ballRadius) setup->ballRadius = *staged.ballRadius;
  if (setup && staged.camera) setup->camera = *staged.camera;
  if (setup && !staged.note.empty()) setup->note = name + ": " + staged.note;
  return true;
}

bool saveCalibration(const std::string& path, std::string* error, const CalibrationSetup& setup,
                     std::string* written) {
  Json document = calibrationDocument(setup);
  std::string problem;
  std::error_code missing;
  if (std::filesystem::exists(path, missing) && !keepOthersEntries(path, document, problem))
    return fail(error, path + ": " + problem + "; it is not written over");
  const std::string text = document.dump(2) + '\n';
  if (!replaceFile(path, text, &problem)) return fail(error, path + ": " + problem);
  if (written) *written = text;
  return true;
}

bool parseTrackbarAssignments(const std::string& text, std::string* error) {
  if (text.empty() || text.back() == ',')
    return fail(error, "trackbar settings \"" + text + "\" are not name=value[,name=value...]");
  Staged staged;
  std::istringstream parts(text);
  std::string part;
  while (std::getline(parts, part, ',')) {
    const std::size_t equals = part.find('=');
    if (equals == std::string::npos)
      return fail(error, "trackbar setting \"" + part + "\" is not name=value");
    const std::string value = part.substr(equals + 1);
    long long number = 0;
    const auto [end, status] = std::from_chars(value.data(), value.data() + value.size(), number);
    if (status != std::errc() || end != value.data() + value.size())
      return fail(error, "trackbar setting \"" + part + "\": value must be a whole number");
    const std::string name = part.substr(0, equals);
    const auto named = std::find_if(trackbarSettings.begin(), trackbarSettings.end(),
                                    [&](const TrackbarSetting& t) { return name == t.name; });
    if (named != trackbarSettings.end() && staged.trackbars[named - trackbarSettings.begin()])
      return fail(error, "trackbar setting \"" + part + "\": " + name + " is named twice");
    std::string problem;
    if (!stageTrackbar(name, Json(number), "", staged, problem))
      return fail(error, "trackbar setting \"" + part + "\": " + problem);
  }
  staged.commit();
  return true;
}

}  // namespace Orvanta
