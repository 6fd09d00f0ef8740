#include "similarity.hpp"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdlib>
#include <opencv2/core/hal/intrin.hpp>
#include <utility>

namespace Orvanta {

namespace {

constexpr int blockWidth = 16;  // pixels per vector block

// dH as the score defines it: the wrap is taken from the reference's side only, so a pixel
// hue more than 128 above the reference keeps its plain distance.
int squaredDistance(hsv_color pixel, hsv_color reference) {
  const int a = pixel.h - reference.h;
  const int dH = a < -128 ? a + 256 : std::abs(a);
  const int dS = pixel.s - reference.s;
  const int dV = pixel.v - reference.v;
  return dH * dH + dS * dS + dV * dV;
}

struct ReferenceLanes {
  cv::v_int16x8 h, s, v;
};

// trunc(numerator * scale / divisor) on eight lanes. Scaled numerators stay below 2^16, quotients
// below 2^14, all exact in float; and a truncated float quotient equals the integer one, since a
// quotient that is not whole lies at least 1/255 from an integer, far beyond float's rounding.
cv::v_int16x8 truncatedQuotient(const cv::v_int16x8& numerator, const cv::v_int16x8& divisor,
                                float scale) {
  cv::v_int32x4 n[2], d[2];
  cv::v_expand(numerator, n[0], n[1]);
  cv::v_expand(divisor, d[0], d[1]);
  const cv::v_float32x4 factor = cv::v_setall_f32(scale);
  cv::v_int32x4 q[2];
  for (int k = 0; k < 2; ++k)
    q[k] = cv::v_trunc(cv::v_cvt_f32(n[k]) * factor / cv::v_cvt_f32(d[k]));
  return cv::v_pack(q[0], q[1]);
}

// rgb_to_hsv and squaredDistance on eight pixels (channels 0..255 in 16-bit lanes).
void squaredDistances(const cv::v_int16x8& r, const cv::v_int16x8& g, const cv::v_int16x8& b,
                      const ReferenceLanes& ref, int* out) {
  using namespace cv;
  const v_int16x8 zero = v_setzero_s16(), one = v_setall_s16(1);
  const v_int16x8 max = v_max(v_max(r, g), b);
  const v_int16x8 delta = max - v_min(v_min(r, g), b);
  const v_int16x8 s = truncatedQuotient(delta, v_max(max, one), 255);
  // Ties go to red, then to green; a grey has delta 0, numerator 0 and the red rule: hue 0.
  const v_int16x8 isRed = max == r, isGreen = max == g;
  const v_int16x8 numerator = v_select(isRed, g - b, v_select(isGreen, b - r, r - g));
  const v_int16x8 base =
      v_select(isRed, zero, v_select(isGreen, v_setall_s16(85), v_setall_s16(171)));
  const v_int16x8 h =
      (truncatedQuotient(numerator, v_max(delta, one), 43) + base) & v_setall_s16(255);

  const v_int16x8 a = h - ref.h;
  const v_int16x8 dH =
      v_select(a < v_setall_s16(-128), a + v_setall_s16(256), v_reinterpret_as_s16(v_abs(a)));
  v_int16x8 hs[2], vv[2];
  v_zip(dH, s - ref.s, hs[0], hs[1]);
  v_zip(max - ref.v, zero, vv[0], vv[1]);
  for (int k = 0; k < 2; ++k)
    v_store(out + 4 * k, v_dotprod(hs[k], hs[k]) + v_dotprod(vv[k], vv[k]));
}

void widen(const cv::v_uint8x16& channel, cv::v_int16x8 (&out)[2]) {
  cv::v_uint16x8 low, high;
  cv::v_expand(channel, low, high);
  out[0] = cv::v_reinterpret_as_s16(low);
  out[1] = cv::v_reinterpret_as_s16(high);
}

struct Threshold {
  cv::v_uint8x16 lanes;  // threshold clamped to 0..255
  bool nonePass;         // threshold above every score
};

Threshold thresholdOf(int threshold) {
  return {cv::v_setall_u8(std::uint8_t(std::clamp(threshold, 0, 255))), threshold > 255};
}

// Written out in full: the lookups are the one part that cannot run in vector lanes.
template <std::size_t... i>
void lookUp(const std::uint8_t* table, const int* distances, uchar* similarity,
            std::index_sequence<i...>) {
  ((similarity[i] = table[distances[i]]), ...);
}

// Sixteen pixels from bgr: scores into similarity and, when asked, the mask.
void scoreBlock(const uchar* bgr, const ReferenceLanes& ref, const std::uint8_t* table,
                uchar* similarity, uchar* mask, const Threshold& threshold) {
  cv::v_uint8x16 b, g, r;
  cv::v_load_deinterleave(bgr, b, g, r);
  cv::v_int16x8 rw[2], gw[2], bw[2];
  widen(r, rw);
  widen(g, gw);
  widen(b, bw);
  alignas(16) int distances[blockWidth];
  for (int k = 0; k < 2; ++k) squaredDistances(rw[k], gw[k], bw[k], ref, distances + 8 * k);
  lookUp(table, distances, similarity, std::make_index_sequence<blockWidth>());
  if (!mask) return;
  const cv::v_uint8x16 scores = cv::v_load(similarity);
  const cv::v_uint8x16 passes = cv::v_max(scores, threshold.lanes) == scores;
  cv::v_store(mask, threshold.nonePass ? cv::v_setzero_u8() : passes);
}

void scorePixel(const uchar* bgr, hsv_color reference, const std::uint8_t* table, uchar* similarity,
                uchar* mask, int threshold) {
  const hsv_color pixel = rgb_to_hsv(pixelToRgb(cv::Vec3b(bgr[0], bgr[1], bgr[2])));
  *similarity = table[squaredDistance(pixel, reference)];
  if (mask) *mask = *similarity >= threshold ? 255 : 0;
}

void scoreRow(const uchar* bgr, int width, const ScoreTable& table, uchar* similarity, uchar* mask,
              int threshold) {
  const hsv_color reference = table.reference();
  if (width < blockWidth) {
    for (int i = 0; i < width; ++i)
      scorePixel(bgr + 3 * i, reference, table.scores(), similarity + i, mask ? mask + i : nullptr,
                 threshold);
    return;
  }
  const ReferenceLanes ref{cv::v_setall_s16(reference.h), cv::v_setall_s16(reference.s),
                           cv::v_setall_s16(reference.v)};
  const Threshold lanes = thresholdOf(threshold);
  // The last block is moved back to end at the row's end; it rescores a few pixels.
  for (int i = 0;; i += blockWidth) {
    const int at = std::min(i, width - blockWidth);
    scoreBlock(bgr + 3 * at, ref, table.scores(), similarity + at, mask ? mask + at : nullptr,
               lanes);
    if (at + blockWidth >= width) return;
  }
}

}  // namespace

void ScoreTable::build(hsv_color reference, double norm) {
  scores_.resize(size);
  reference_ = reference;
  norm_ = norm;
  built_ = true;
  int q = 0;
  for (; q < size; ++q) {
    // hsv_similarity's arithmetic; the sum of the three squares is exact in a double.
    const double score = std::floor((norm - std::sqrt(double(q))) / norm * 255);
    scores_[q] = static_cast<std::uint8_t>(score > 0 ? score : 0);
    // For a positive norm the score never rises with the distance: once 0, 0 from there on.
    if (scores_[q] == 0 && norm > 0) break;
  }
  std::fill(scores_.begin() + q, scores_.end(), 0);
}

bool ScoreTable::isFor(hsv_color reference, double norm) const {
  return built_ && reference.h == reference_.h && reference.s == reference_.s &&
         reference.v == reference_.v &&
         std::bit_cast<std::uint64_t>(norm) == std::bit_cast<std::uint64_t>(norm_);
}

const ScoreTable& SimilarityScorer::tableFor(hsv_color reference, double norm) {
  std::size_t slot = 0;
  for (std::size_t i = 0; i < tables_.size(); ++i) {
    if (tables_[i].isFor(reference, norm)) {
      slot = i;
      break;
    }
    if (lastUse_[i] < lastUse_[slot]) slot = i;
  }
  if (!tables_[slot].isFor(reference, norm)) tables_[slot].build(reference, norm);
  lastUse_[slot] = ++uses_;
  return tables_[slot];
}

void SimilarityScorer::score(const cv::Mat& frame, cv::Rect window, hsv_color reference,
                             double norm, cv::Mat& similarity, cv::Mat* mask, int threshold) {
  if (window.empty()) return;
  const ScoreTable& table = tableFor(reference, norm);
  for (int row = window.y; row < window.y + window.height; ++row)
    scoreRow(frame.ptr<uchar>(row, window.x), window.width, table,
             similarity.ptr<uchar>(row, window.x), mask ? mask->ptr<uchar>(row, window.x) : nullptr,
             threshold);
}

}  // namespace Orvanta
