// The camera seam: every activity opens and reads its pictures through these calls, so a
// device, a video file and an image sequence are interchangeable, and every picture that
// enters the program is 8-bit BGR whatever the source delivers.
#pragma once

#include <opencv2/core.hpp>
#include <optional>
#include <string>

#include "camera_model.hpp"
#include "host.hpp"

namespace Orvanta {

// The pictures per second the open source was recorded at; 0 when it does not say (an image
// sequence).
double recordedRate();

// A device index rather than a file or an image sequence.
bool isDeviceSource(const std::string& source);

// A source whose pictures come as they are taken: a device, or a pipe a live stream is fed into.
bool isLiveSource(const std::string& source);

// Opens source into capture, releasing a handle still held. A string of digits is a device
// index; anything else is a video file or an image-sequence pattern ("dir/frame_%05d.png").
// False when the source cannot be opened (capture is then closed).
bool openCamera(const std::string& source);

// Why the pictures of a source cannot be used, naming what it delivers; in the operator's
// language for the window and in English for the console. Empty when they can.
struct PictureProblem {
  std::string window, console;
  explicit operator bool() const { return !console.empty(); }
};

// The next picture from capture into its own storage, as 8-bit BGR: a fourth channel (alpha)
// is dropped and 16 bits are scaled to 8. False when there is none or capture is closed, and
// when the picture holds no colour to find the balls by (one channel) or comes in a depth with
// no such reading; then *problem, when given, says so.
bool queryFrame(cv::Mat& into, PictureProblem* problem = nullptr);

// A picture whose size is not the size of the run's first.
PictureProblem sizeProblem(cv::Size picture, cv::Size first);

// The camera of a run's pictures: the host's camera file scaled to their size, or the design's
// camera scaled per axis. Nothing when the file is for pictures of another shape, and *problem
// then says so.
std::optional<site::CameraModel> cameraAt(const Host& host, cv::Size pictures,
                                          PictureProblem& problem);

// The file names of an image-sequence pattern such as "dir/frame_%05d.png" (the name only,
// without the folder): what stands before and after the number.
struct SequenceNames {
  std::string before, after;
  bool match(const std::string& name) const;
};
// Nothing when the source is no pattern.
std::optional<SequenceNames> sequenceNames(const std::string& source);

// Why the open recorded source ended after `read` pictures when it holds more: a damaged
// picture, or a gap in a sequence's numbering. Empty when it ended at its last picture, or
// cannot tell (a device, a video that does not say how long it is).
PictureProblem earlyEnd(const std::string& source, long read);

// The status box's text when no source can be opened.
inline constexpr const char* statusNoCamera = "Kamera nije dostupna!";

}  // namespace Orvanta
