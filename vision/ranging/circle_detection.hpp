// The circle detection of a colour pass: the gradient Hough transform as cv::HoughCircles does
// it (dp 1, no radius limits, Sobel aperture 3), with the same circles in the same order and
// the same floats, but working only where the picture can hold edges, and with its cost
// bounded: content that would keep it busy for long (long thin structures in the ball's
// colour) is refused before the expensive stages, and the ball is then not found.
#pragma once

#include <opencv2/core.hpp>
#include <vector>

namespace Orvanta {

struct CircleSearch {
  double minDist = 1;  // between centres, pixels
  double param1 = 10;  // upper Canny threshold of the detection's own edges
  double param2 = 10;  // votes a centre needs
};

// Most work the detection may do on one picture: cells stepped through by the voting,
// distances from candidate centres to edge points, and radius bins scanned. These are the
// limits at 320 x 240, where a ball a tenth of the picture's height across needs at most about
// 0.3 million votes, 0.13 million distances and 0.9 million bins under any one trackbar.
struct CircleBudget {
  long long votes = 2'000'000;
  long long distances = 1'000'000;
  long long bins = 12'000'000;
};

// The budget for pictures of `size`: the limits above at 320 x 240 (and below), growing as the
// work of a ball that fills the same share of the picture grows: the votes with the area (its
// edge points times the walk across the picture), the distances and bins with the cube of the
// scale (candidate centres, which grow with the ball's edge, times its edge points or the
// radius bins). A picture and the same picture scaled are taken or refused alike.
CircleBudget circleBudgetFor(cv::Size size);

struct DetectedCircles {
  std::vector<cv::Vec4f> circles;  // x, y, radius, support; strongest first
  bool overBudget = false;         // refused; circles is empty
  // The work the picture asked for, as far as it was counted (votes first, then distances and
  // bins once the voting is allowed).
  CircleBudget asked{0, 0, 0};
};

// Keeps its buffers between pictures of one size.
class CircleDetector {
 public:
  // Circles in an 8-bit image that is zero outside `area`.
  DetectedCircles detect(const cv::Mat& image, cv::Rect area, const CircleSearch& search,
                         const CircleBudget& budget = {});

 private:
  struct EdgePoints {
    std::vector<cv::Point> at;
    std::vector<short> dx, dy;
    std::vector<float> x, y;  // at, as floats, for the distances
  };
  EdgePoints points_;
  cv::Mat dx_, dy_, edges_;
  std::vector<cv::Point> edgePixels_;
  cv::Mat accum_;           // int votes, one spare row and column; zero outside voted_
  cv::Rect voted_;          // cells the last voting touched
  std::vector<int> above_;  // cells (indices) whose votes passed the threshold
  std::vector<int> bins_;
  std::vector<float> distances_, roots_;

  void findEdgePoints(const cv::Mat& image, cv::Rect area, double param1);
  void clearVotes();
  void vote(cv::Size size, int maxRadius, int threshold);
  std::vector<cv::Point> centres();
  struct Estimated {
    cv::Vec3f circle;
    int support;
  };
  bool estimateRadius(cv::Point cell, int maxRadius, int threshold, Estimated& out);
};

}  // namespace Orvanta
