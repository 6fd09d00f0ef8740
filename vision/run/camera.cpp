#include "camera.hpp"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <filesystem>
#include <opencv2/imgproc.hpp>

#include "camera_file.hpp"
#include "decoder_messages.hpp"
#include "state.hpp"

namespace Orvanta {

namespace {

std::string sizeText(cv::Size size) {
  return std::to_string(size.width) + "x" + std::to_string(size.height);
}

const char* depthText(int depth) {
  static const char* const names[] = {"8U", "8S", "16U", "16S", "32S", "32F", "64F", "16F"};
  return depth >= 0 && depth < 8 ? names[depth] : "?";
}

// To 8-bit BGR in place, or the reason it cannot be.
PictureProblem normalise(cv::Mat& picture) {
  const int channels = picture.channels(), depth = picture.depth();
  if (channels == 1)
    return {"Izvor daje sive slike (1 kanal): kugle se traže po boji.",
            "the source delivers grey pictures (1 channel): the balls are found by their colour"};
  if ((channels != 3 && channels != 4) || (depth != CV_8U && depth != CV_16U)) {
    const std::string format = std::to_string(channels) + " channels of " + depthText(depth);
    return {"Izvor daje slike koje se ne mogu čitati (" + format + ").",
            "the source delivers pictures of " + format +
                ", not colour of 8 or 16 bits that the program reads"};
  }
  if (depth == CV_16U) picture.convertTo(picture, CV_8U, 255.0 / 65535.0);
  if (channels == 4) cv::cvtColor(picture, picture, cv::COLOR_BGRA2BGR);
  return {};
}

// A picture the decoder could not convert: one larger than the video's first, in its place the
// previous picture again.
PictureProblem unconverted(cv::Size first) {
  return {"Slika je veća od prve (" + sizeText(first) + "): praćenje je završeno.",
          "a picture is larger than the run's first (" + sizeText(first) +
              ") and cannot be read; the run ends there"};
}

}  // namespace

bool isDeviceSource(const std::string& source) {
  // Short enough to be a device number; a longer string of digits is taken as a file name.
  return !source.empty() && source.size() <= 4 &&
         std::all_of(source.begin(), source.end(),
                     [](unsigned char ch) { return std::isdigit(ch) != 0; });
}

bool isLiveSource(const std::string& source) {
  std::error_code error;
  return isDeviceSource(source) || std::filesystem::is_fifo(source, error);
}

bool openCamera(const std::string& source) {
  capture.release();
  if (isDeviceSource(source)) return capture.open(std::stoi(source));
  // A numbered pattern goes to the image-sequence reader directly, which reads the files
  // exactly as written; other names go to whatever backend can decode them.
  if (source.find('%') != std::string::npos) return capture.open(source, cv::CAP_IMAGES);
  // A pipe can be opened once: the decoder that can read it alone, not backend after backend
  // (the second open would wait for a writer that has gone).
  std::error_code error;
  if (std::filesystem::is_fifo(source, error)) return capture.open(source, cv::CAP_FFMPEG);
  return capture.open(source);
}

double recordedRate() {
  // The image-sequence reader reports a rate of its own making; the files carry none.
  if (!capture.isOpened() || capture.getBackendName() == "CV_IMAGES") return 0;
  return capture.get(cv::CAP_PROP_FPS);
}

bool queryFrame(cv::Mat& into, PictureProblem* problem) {
  // A fresh buffer each time, so a picture kept elsewhere is never overwritten in place.
  into.release();
  watchDecoderMessages();
  const long refused = refusedConversions();
  if (!capture.isOpened() || !capture.read(into) || into.empty()) return false;
  const PictureProblem found =
      refusedConversions() != refused ? unconverted(into.size()) : normalise(into);
  if (!found) return true;
  if (problem) *problem = found;
  into.release();
  return false;
}

bool SequenceNames::match(const std::string& name) const {
  if (name.size() <= before.size() + after.size() || name.compare(0, before.size(), before) != 0 ||
      name.compare(name.size() - after.size(), after.size(), after) != 0)
    return false;
  return std::all_of(name.begin() + long(before.size()), name.end() - long(after.size()),
                     [](unsigned char ch) { return std::isdigit(ch) != 0; });
}

std::optional<SequenceNames> sequenceNames(const std::string& source) {
  const std::string name = std::filesystem::path(source).filename().string();
  const std::size_t percent = name.find('%');
  const std::size_t d = name.find('d', percent);
  if (percent == std::string::npos || d == std::string::npos) return std::nullopt;
  return SequenceNames{name.substr(0, percent), name.substr(d + 1)};
}

PictureProblem earlyEnd(const std::string& source, long read) {
  long holds = 0, slack = 0;
  if (const auto names = sequenceNames(source)) {
    const std::filesystem::path folder = std::filesystem::path(source).parent_path();
    std::error_code error;
    for (const auto& entry :
         std::filesystem::directory_iterator(folder.empty() ? "." : folder, error))
      holds += names->match(entry.path().filename().string()) ? 1 : 0;
  } else if (!isDeviceSource(source) && capture.isOpened()) {
    holds = std::lround(capture.get(cv::CAP_PROP_FRAME_COUNT));
    slack = 1;  // a container's count may be estimated from its duration
  }
  if (holds <= read + slack) return {};
  const std::string counts = std::to_string(read) + " of " + std::to_string(holds);
  return {"Izvor je završio nakon " + counts + " slika: sljedeća je oštećena ili nedostaje.",
          "the source ended after " + counts +
              " pictures: the next one is damaged or missing, and the run ends there"};
}

PictureProblem sizeProblem(cv::Size picture, cv::Size first) {
  return {"Slika je druge veličine (" + sizeText(picture) + ", a prva " + sizeText(first) +
              "): praćenje je završeno.",
          "a picture is " + sizeText(picture) + " where the run's first was " + sizeText(first) +
              "; the run ends there"};
}

std::optional<site::CameraModel> cameraAt(const Host& host, cv::Size pictures,
                                          PictureProblem& problem) {
  if (!host.cameraFile) return site::defaultCamera().at(pictures);
  std::string why;
  const std::optional<site::CameraModel> camera =
      site::cameraForPictures(*host.cameraFile, pictures, &why);
  if (!camera)
    problem = {"Datoteka kamere je za slike " + sizeText(host.cameraFile->size) + ", a ove su " +
                   sizeText(pictures) + ": kalibrirajte kameru za ovu veličinu.",
               why};
  return camera;
}

}  // namespace Orvanta
