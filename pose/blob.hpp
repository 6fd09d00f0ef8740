// A ball's region in the picture: the largest plausible connected blob of its colour class.
#pragma once

#include <opencv2/core.hpp>
#include <optional>

#include "colour_classes.hpp"
#include "parameters.hpp"

namespace Orvanta::pose {

struct Blob {
  cv::Point2d centroid;  // picture pixels
  double area = 0;       // pixels
  cv::Rect box;          // bounding box, picture pixels
  // Label image of the searched area (CV_32S, the area's size, at `offset` in the picture) and
  // this blob's label in it: which pixels the blob holds.
  cv::Mat labels;
  int label = 0;
  cv::Point offset;

  bool holds(cv::Point pixel) const;
};

// The largest plausible blob of `ball` within `area` of the BGR picture: at least a few pixels,
// compact (a disc, or a disc cut by the picture's edge), not larger than a quarter of the
// picture. Nothing when that blob reaches an edge of `area` that is not the picture's (it may
// go on outside the area).
std::optional<Blob> findBlob(const cv::Mat& bgr, cv::Rect area, int ball,
                             const ColourClasses& classes, const PoseParameters::Blobs& p);

// A picture and its copy `step` times smaller on each side (every step-th pixel), made when
// first asked for: one copy serves every ball's search.
class ReducedPicture {
 public:
  ReducedPicture(const cv::Mat& bgr, int step) : bgr_(bgr), step_(step) {}
  const cv::Mat& full() const { return bgr_; }
  int step() const { return step_; }
  const cv::Mat& reduced();

 private:
  const cv::Mat& bgr_;
  int step_;
  cv::Mat reduced_;
};

// findBlob over the whole picture, first on its reduced copy and then at full resolution around
// what the copy shows: a search of the whole picture at a step-th squared of its cost. A ball of
// the least area still covers that many pixels of the copy, at proportionally less area limit.
// Step 1: findBlob itself.
std::optional<Blob> findBlobAnywhere(ReducedPicture& picture, int ball,
                                     const ColourClasses& classes, const PoseParameters::Blobs& p);

// The blob of `ball` that holds `seed`, grown pixel by pixel within `area`: what a tracked ball's
// search costs, in proportion to the ball's size. The same checks as findBlob.
std::optional<Blob> growBlob(const cv::Mat& bgr, cv::Point seed, cv::Rect area, int ball,
                             const ColourClasses& classes, const PoseParameters::Blobs& p);

}  // namespace Orvanta::pose
