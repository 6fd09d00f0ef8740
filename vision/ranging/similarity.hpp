// The similarity step, fast and with exactly the reference's scores (similarity_reference.hpp).
// The score depends on a pixel only through dH^2 + dS^2 + dV^2, so one table per reference
// colour replaces the per-pixel root and division; the integer HSV conversion runs on 16 pixels
// at a time, and the mask is thresholded in the same sweep.
#pragma once

#include <array>
#include <cstdint>
#include <opencv2/core.hpp>
#include <vector>

#include "colour.hpp"
#include "landmark_layout.hpp"

namespace Orvanta {

// The score of every squared HSV distance 0 .. 3 * 255^2 against one reference colour.
class ScoreTable {
 public:
  static constexpr int size = 3 * 255 * 255 + 1;

  void build(hsv_color reference, double norm);
  bool isFor(hsv_color reference, double norm) const;
  hsv_color reference() const { return reference_; }
  const std::uint8_t* scores() const { return scores_.data(); }

 private:
  std::vector<std::uint8_t> scores_;
  hsv_color reference_{};
  double norm_ = 0;
  bool built_ = false;
};

// Scores search windows against the references of up to four balls, keeping each table while
// its reference colour and norm stay the same (a tracking run builds each one once).
class SimilarityScorer {
 public:
  // Scores window of frame (8-bit BGR) into similarity; with a mask, also writes 255 where the
  // score reaches threshold and 0 elsewhere. Pixels outside window are not touched.
  void score(const cv::Mat& frame, cv::Rect window, hsv_color reference, double norm,
             cv::Mat& similarity, cv::Mat* mask = nullptr, int threshold = 0);

 private:
  std::array<ScoreTable, site::kBallCount> tables_;  // one per ball
  std::array<unsigned, site::kBallCount> lastUse_{};
  unsigned uses_ = 0;

  const ScoreTable& tableFor(hsv_color reference, double norm);
};

}  // namespace Orvanta
