// The pictures of a tracking run, each with its precise estimate, in the order the source
// delivers them. Read and estimated on demand, or ahead (headless runs): one thread decodes,
// a second estimates, while the pass that takes the pictures stays single-threaded with the
// same results. The camera is then touched by the decoding thread alone until the feed is gone.
#pragma once

#include <opencv2/core.hpp>
#include <optional>
#include <string>
#include <thread>

#include "bounded_queue.hpp"
#include "camera.hpp"
#include "capture_clock.hpp"
#include "estimator.hpp"

namespace Orvanta {

class PictureFeed {
 public:
  // Pictures of the open camera, which must be of `size` like the first one; the estimator is
  // the feed's own until it is gone.
  // `source` names the camera, which has delivered `read` pictures before the feed; `clock`
  // stamps them.
  PictureFeed(pose::PoseEstimator& estimator, cv::Size size, bool ahead, std::string source,
              long read, CaptureClock clock = {});
  ~PictureFeed();
  PictureFeed(const PictureFeed&) = delete;
  PictureFeed& operator=(const PictureFeed&) = delete;

  struct Estimated {
    cv::Mat picture;
    pose::CameraPose pose;
    CaptureTime time;
  };

  // The next picture with its estimate and capture time; false at the source's end or on a
  // problem with its pictures (then problem says which), and from then on.
  bool next(Estimated& into, PictureProblem& problem);

 private:
  struct Item {
    bool delivered = false;  // else the source ended or its picture had a problem
    Estimated estimated;
    PictureProblem problem;
  };
  static constexpr std::size_t kAhead = 2;  // a pass takes two pictures

  pose::PoseEstimator& estimator_;
  cv::Size size_;
  std::string source_;
  long read_;  // pictures the source has delivered, by the decoding side
  CaptureClock clock_;
  BoundedQueue<Item> decoded_{kAhead}, estimated_{kAhead};
  std::thread decoder_, estimatorThread_;
  std::optional<Item> end_;  // what ended the feed

  Item decode();
  void estimate(Item& item) const;
  void decodeAhead();
  void estimateAhead();
};

}  // namespace Orvanta
