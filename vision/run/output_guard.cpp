#include "output_guard.hpp"

#include <filesystem>
#include <vector>

#include "camera.hpp"

namespace Orvanta {

namespace {

namespace fs = std::filesystem;

// The same file, existing or not: through links and relative names alike.
bool sameFile(const std::string& a, const std::string& b) {
  std::error_code error;
  if (fs::equivalent(a, b, error) && !error) return true;
  const fs::path x = fs::weakly_canonical(a, error);
  if (error) return false;
  const fs::path y = fs::weakly_canonical(b, error);
  return !error && x == y;
}

// A file an image-sequence pattern such as dir/frame_%05d.png names, or would name.
bool inSequence(const std::string& file, const std::string& pattern) {
  const auto names = sequenceNames(pattern);
  const fs::path f(file), p(pattern);
  return names &&
         sameFile(f.parent_path().empty() ? "." : f.parent_path().string(),
                  p.parent_path().empty() ? "." : p.parent_path().string()) &&
         names->match(f.filename().string());
}

}  // namespace

std::optional<std::string> outputClash(const Options& options) {
  const std::vector<std::pair<const char*, std::string>> outputs = {{"--csv", options.csv},
                                                                    {"--poses", options.poses}};
  for (const auto& [option, file] : outputs) {
    if (file.empty()) continue;
    if (const auto clash = sourceClash(option, file, options.camera)) return clash;
    if (!options.calibration.empty() && sameFile(file, options.calibration))
      return std::string(option) + " '" + file +
             "' is the calibration file; it is not written over";
  }
  if (!options.csv.empty() && !options.poses.empty() && sameFile(options.csv, options.poses))
    return "--csv and --poses name the same file; give each its own";
  return std::nullopt;
}

std::optional<std::string> sourceClash(const char* option, const std::string& file,
                                       const std::string& source) {
  if (sameFile(file, source) || inSequence(file, source))
    return std::string(option) + " '" + file +
           "' is the camera source's input; it is not written over";
  return std::nullopt;
}

}  // namespace Orvanta
