#include "camera.hpp"

#include <algorithm>
#include <cctype>

#include "state.hpp"

namespace Orvanta {

namespace {

// Short enough to be a device number; a longer string of digits is taken as a file name.
bool isDeviceIndex(const std::string& source) {
  return !source.empty() && source.size() <= 4 &&
         std::all_of(source.begin(), source.end(),
                     [](unsigned char ch) { return std::isdigit(ch) != 0; });
}

}  // namespace

bool openCamera(const std::string& source) {
  capture.release();
  if (isDeviceIndex(source)) return capture.open(std::stoi(source));
  // A numbered pattern goes to the image-sequence reader directly, which reads the files
  // exactly as written; other names go to whatever backend can decode them.
  if (source.find('%') != std::string::npos) return capture.open(source, cv::CAP_IMAGES);
  return capture.open(source);
}

bool queryFrame(cv::Mat& into) {
  // A fresh buffer each time, so a picture kept elsewhere is never overwritten in place.
  into.release();
  if (!capture.isOpened()) return false;
  return capture.read(into) && !into.empty();
}

}  // namespace Orvanta
