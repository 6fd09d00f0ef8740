// The views of a chessboard a camera calibration uses: the board found in each picture, and
// only the pictures that add to what the kept ones show (another part of the picture, another
// size, another tilt), so that a long recording gives a few dozen different views.
#pragma once

#include <opencv2/core.hpp>
#include <vector>

namespace Orvanta {

struct BoardSpec {
  cv::Size corners;   // inner corners, columns x rows
  double square = 0;  // metres
};

struct BoardView {
  std::vector<cv::Point2f> corners;  // in the board's row order
  int picture = 0;                   // counted from 0 in the source
};

class ViewCollector {
 public:
  ViewCollector(BoardSpec board, cv::Size picture);

  // Looks for the board in a BGR picture; true when it was found and the view was kept.
  bool offer(const cv::Mat& bgr, int picture);

  const BoardSpec& board() const { return board_; }
  cv::Size pictureSize() const { return size_; }
  const std::vector<BoardView>& views() const { return views_; }
  int pictures() const { return pictures_; }  // offered
  int found() const { return found_; }        // with the board found
  // The share of the picture, in cells of an 8 x 6 grid, where a kept view has a corner.
  double coverage() const;
  // Where the last offered picture showed the board; empty when it did not.
  const std::vector<cv::Point2f>& lastCorners() const { return last_; }

 private:
  // The board's corners to a pixel or so; false when it is not in the picture.
  bool roughCorners(const cv::Mat& grey, std::vector<cv::Point2f>& corners) const;
  // Where the view is, how large and how tilted, in comparable units.
  cv::Vec<double, 5> describe(const std::vector<cv::Point2f>& corners) const;

  BoardSpec board_;
  cv::Size size_;
  std::vector<BoardView> views_;
  std::vector<cv::Vec<double, 5>> described_;
  std::vector<cv::Point2f> last_;
  int pictures_ = 0, found_ = 0;
};

}  // namespace Orvanta
