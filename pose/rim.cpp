#include "rim.hpp"

#include <cmath>
#include <optional>

#include "colour_metric.hpp"

namespace Orvanta::pose {

namespace {

// The picture around a ball in the weighted luma and chroma, the chroma smoothed by [1 2 1] / 4
// in both directions. MJPG keeps the chroma at half resolution; decoders that
// repeat each chroma sample over two by two pixels leave steps that this smoothing turns into
// the interpolation other decoders do, and smooth chroma only gets a little smoother.
struct ColourPlanes {
  cv::Mat ycc;  // CV_32FC3
  cv::Point offset;

  cv::Vec3d sample(cv::Point2d p) const {
    const double x = p.x - offset.x, y = p.y - offset.y;
    const int x0 = int(std::floor(x)), y0 = int(std::floor(y));
    const double fx = x - x0, fy = y - y0;
    const cv::Vec3f* a = ycc.ptr<cv::Vec3f>(y0) + x0;
    const cv::Vec3f* b = ycc.ptr<cv::Vec3f>(y0 + 1) + x0;
    const cv::Vec3f top = (1 - fx) * a[0] + fx * a[1], bottom = (1 - fx) * b[0] + fx * b[1];
    return cv::Vec3d((1 - fy) * top + fy * bottom);
  }
  bool holds(cv::Point2d p) const {
    const double x = p.x - offset.x, y = p.y - offset.y;
    return x >= 0 && y >= 0 && x < ycc.cols - 1 && y < ycc.rows - 1;
  }
};

ColourPlanes colourPlanes(const cv::Mat& bgr, cv::Rect area) {
  area &= cv::Rect({0, 0}, bgr.size());
  ColourPlanes planes;
  planes.offset = area.tl();
  const int w = area.width, h = area.height;
  planes.ycc.create(area.size(), CV_32FC3);
  for (int y = 0; y < h; ++y) {
    const std::uint8_t* in = bgr.ptr<std::uint8_t>(area.y + y) + 3 * area.x;
    cv::Vec3f* out = planes.ycc.ptr<cv::Vec3f>(y);
    for (int x = 0; x < w; ++x) out[x] = weightedYcc(in + 3 * x);
  }
  // [1 2 1] / 4 along rows into a buffer, then along columns back; the edges repeat their
  // pixel.
  std::vector<cv::Vec2f> rows(std::size_t(w) * h);
  for (int y = 0; y < h; ++y) {
    const cv::Vec3f* c = planes.ycc.ptr<cv::Vec3f>(y);
    cv::Vec2f* out = rows.data() + std::size_t(y) * w;
    for (int x = 0; x < w; ++x) {
      const cv::Vec3f &l = c[std::max(0, x - 1)], &r = c[std::min(w - 1, x + 1)];
      out[x] = {0.25f * (l[1] + r[1]) + 0.5f * c[x][1], 0.25f * (l[2] + r[2]) + 0.5f * c[x][2]};
    }
  }
  for (int y = 0; y < h; ++y) {
    const cv::Vec2f* up = rows.data() + std::size_t(std::max(0, y - 1)) * w;
    const cv::Vec2f* here = rows.data() + std::size_t(y) * w;
    const cv::Vec2f* down = rows.data() + std::size_t(std::min(h - 1, y + 1)) * w;
    cv::Vec3f* out = planes.ycc.ptr<cv::Vec3f>(y);
    for (int x = 0; x < w; ++x) {
      const cv::Vec2f v = 0.25f * (up[x] + down[x]) + 0.5f * here[x];
      out[x][1] = v[0], out[x][2] = v[1];
    }
  }
  return planes;
}

// The colours along one ray at t = first, first + step, ...
struct Profile {
  double first = 0, step = 0.5;
  std::vector<cv::Vec3d> colours;

  double t(std::size_t i) const { return first + step * double(i); }
  // The straight line fitted to the colours from `from` to `to`, evaluated at `at`; the mean
  // when `at` is not a number.
  cv::Vec3d lineFit(double from, double to, double at) const {
    const long last = long(colours.size()) - 1;
    const long begin = std::max(0L, long(std::ceil((from - first) / step - 1e-9)));
    const long end = std::min(last, long(std::floor((to - first) / step + 1e-9)));
    if (end - begin < 1) return cv::Vec3d(NAN, NAN, NAN);
    cv::Vec3d sum(0, 0, 0), sumT(0, 0, 0);
    double tSum = 0, tSq = 0;
    for (long i = begin; i <= end; ++i) {
      const double ti = t(std::size_t(i));
      sum += colours[std::size_t(i)], sumT += ti * colours[std::size_t(i)];
      tSum += ti, tSq += ti * ti;
    }
    const double n = double(end - begin + 1);
    if (std::isnan(at)) return sum / n;
    const double tMean = tSum / n;
    const cv::Vec3d slope = (sumT - tMean * sum) / (tSq - n * tMean * tMean);
    return sum / n + slope * (at - tMean);
  }
};

// Where the profile crosses half-way between the ball's level at `around` and the water's level
// just outside it, nearest to `around`; nothing when the two levels are too alike. The ball's
// shading changes fastest near its rim, so its level at the edge is the inner profile's
// straight continuation, not its mean.
std::optional<double> halfCrossing(const Profile& profile, double around, double searchHalfWidth,
                                   const PoseParameters::Outline& p) {
  const cv::Vec3d inside = profile.lineFit(around - p.levelFarPx, around - p.levelNearPx, around);
  const cv::Vec3d outside = profile.lineFit(around + p.levelNearPx, around + p.levelFarPx, NAN);
  const cv::Vec3d step = inside - outside;
  const double contrastSq = step.dot(step);
  if (!(contrastSq >= p.leastContrast * p.leastContrast)) return std::nullopt;
  const cv::Vec3d towardsBall = step * (1 / contrastSq);
  std::optional<double> best;
  double level = (profile.colours[0] - outside).dot(towardsBall);
  for (std::size_t i = 0; i + 1 < profile.colours.size(); ++i) {
    const double next = (profile.colours[i + 1] - outside).dot(towardsBall);
    if (level >= 0.5 && next < 0.5) {
      const double t = profile.t(i) + profile.step * (level - 0.5) / (level - next);
      if (std::abs(t - around) <= searchHalfWidth &&
          (!best || std::abs(t - around) < std::abs(*best - around)))
        best = t;
    }
    level = next;
  }
  return best;
}

// How far the blob reaches from its centre along direction d; nothing when the ray leaves the
// picture before it leaves the blob, or starts outside the blob.
std::optional<double> maskEdge(const Blob& blob, cv::Size size, cv::Point2d d) {
  const double limit = 2.0 * std::max(blob.box.width, blob.box.height) + 2;
  for (double t = 0; t <= limit; t += 0.5) {
    const cv::Point2d p = blob.centroid + t * d;
    if (!(p.x > -0.5 && p.y > -0.5 && p.x < size.width - 0.5 && p.y < size.height - 0.5))
      return std::nullopt;
    const cv::Point pixel(int(p.x + 0.5), int(p.y + 0.5));
    if (!blob.holds(pixel)) return t > 0 ? std::optional<double>(t - 0.25) : std::nullopt;
  }
  return std::nullopt;
}

}  // namespace

std::vector<cv::Point2d> rimPoints(const cv::Mat& bgr, const Blob& blob,
                                   const PoseParameters::Outline& p) {
  const int margin = int(std::ceil(p.searchPx + p.levelFarPx)) + 2;
  const ColourPlanes planes =
      colourPlanes(bgr, cv::Rect(blob.box.x - margin, blob.box.y - margin,
                                 blob.box.width + 2 * margin, blob.box.height + 2 * margin));
  std::vector<cv::Point2d> points;
  Profile profile;
  profile.step = p.stepPx;
  for (int k = 0; k < p.rays; ++k) {
    const double angle = 2 * CV_PI * k / p.rays;
    const cv::Point2d d(std::cos(angle), std::sin(angle));
    const std::optional<double> edge = maskEdge(blob, bgr.size(), d);
    if (!edge) continue;
    profile.first = std::max(0.0, *edge - p.searchPx - p.levelFarPx);
    const double last = *edge + p.searchPx + p.levelFarPx;
    if (!planes.holds(blob.centroid + last * d)) continue;
    profile.colours.clear();
    for (double t = profile.first; t <= last + 1e-9; t += p.stepPx)
      profile.colours.push_back(planes.sample(blob.centroid + t * d));
    // The mask's edge is within a pixel or two; the second look centres the levels on the
    // crossing itself.
    std::optional<double> crossing = halfCrossing(profile, *edge, p.searchPx, p);
    if (crossing) crossing = halfCrossing(profile, *crossing, 1.0, p);
    if (crossing) points.push_back(blob.centroid + *crossing * d);
  }
  return points;
}

}  // namespace Orvanta::pose
