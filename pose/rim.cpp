#include "rim.hpp"

#include <algorithm>
#include <cmath>
#include <optional>

#include "colour_metric.hpp"
#include "median.hpp"

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
  // The mean colour from `from` to `to`; not a number when fewer than two samples lie there.
  cv::Vec3d mean(double from, double to) const {
    const long last = long(colours.size()) - 1;
    const long begin = std::max(0L, long(std::ceil((from - first) / step - 1e-9)));
    const long end = std::min(last, long(std::floor((to - first) / step + 1e-9)));
    if (end - begin < 1) return cv::Vec3d(NAN, NAN, NAN);
    cv::Vec3d sum(0, 0, 0);
    for (long i = begin; i <= end; ++i) sum += colours[std::size_t(i)];
    return sum / double(end - begin + 1);
  }
};

// One ray's outline point, and what lies beyond it.
struct RayEdge {
  double t = 0;       // along the ray
  cv::Vec3d outside;  // the surroundings' colour beyond the edge
  double contrast = 0;
};

// Of the angle between two colours, black the origin: 1 for the same hue and brightness aside.
double cosine(const cv::Vec3d& a, const cv::Vec3d& b) {
  return a.dot(b) / (cv::norm(a) * cv::norm(b) + 1e-9);
}

// How much of the ball each colour of a profile holds, 1 at `inside` and 0 at `outside`: the
// colours projected on the step between the two, which brightness and hue both carry.
std::vector<double> byStep(const std::vector<cv::Vec3d>& colours, const cv::Vec3d& inside,
                           const cv::Vec3d& outside) {
  const cv::Vec3d step = inside - outside;
  const cv::Vec3d towardsBall = step * (1 / step.dot(step));
  std::vector<double> shares(colours.size());
  for (std::size_t i = 0; i < colours.size(); ++i)
    shares[i] = (colours[i] - outside).dot(towardsBall);
  return shares;
}

// The same, with each colour split into the ball's colour and the surroundings' (black the
// origin) and the surroundings' share telling: the ball's shading, which darkens it towards
// the limb, then moves no edge inwards; noise and the chroma's coarse sampling weigh more, the
// less the two differ in hue. Nothing when that difference is below `leastContrast`.
std::optional<std::vector<double>> bySplit(const std::vector<cv::Vec3d>& colours,
                                           const cv::Vec3d& inside, const cv::Vec3d& outside,
                                           double leastContrast) {
  const cv::Vec3d b = cv::normalize(inside), w = cv::normalize(outside);
  const double alike = b.dot(w);
  // The surroundings' distance from the line of the ball's colours through black.
  if (!(cv::norm(outside) * std::sqrt(1 - alike * alike) >= leastContrast)) return std::nullopt;
  const cv::Vec3d surroundings = (w - alike * b) * (1 / (1 - alike * alike));
  const double whole = surroundings.dot(outside);
  std::vector<double> shares(colours.size());
  for (std::size_t i = 0; i < colours.size(); ++i)
    shares[i] = 1 - surroundings.dot(colours[i]) / whole;
  return shares;
}

// The ball's share along a profile. By the step, unless the profile there falls well below the
// surroundings' level: a limb darker than both ball and surroundings, as a glossy ball's is
// where it turns away from the light, which the step would read as the edge too early.
std::optional<std::vector<double>> ballShares(const Profile& profile, const cv::Vec3d& inside,
                                              const cv::Vec3d& outside, double from, double to,
                                              EdgeReading reading,
                                              const PoseParameters::Outline& p) {
  if (reading == EdgeReading::split)
    return bySplit(profile.colours, inside, outside, p.leastContrast);
  std::vector<double> shares = byStep(profile.colours, inside, outside);
  double lowest = 0;
  for (std::size_t i = 0; i < shares.size(); ++i)
    if (profile.t(i) >= from && profile.t(i) <= to) lowest = std::min(lowest, shares[i]);
  if (lowest < -p.darkLimbShare)
    if (auto split = bySplit(profile.colours, inside, outside, p.leastContrast))
      return std::move(*split);
  return shares;
}

// Where the profile falls fastest from the ball's colour on this ray to its surroundings',
// searched from `from` to `to`, in the ball's share of each colour (luma and chroma both count,
// and only chroma where only chroma differs); the steepest fall of a blurred step is its edge,
// whatever the shading on either side does. Nothing when the two colours are too alike, or when
// the fall is not one clean edge (a shadow's soft edge, a rod, an occluder): the profile must be
// near the ball's level and nearer its hue than the surroundings' before it, and near the
// surroundings' level after it.
std::optional<RayEdge> steepestEdge(const Profile& profile, double from, double to,
                                    EdgeReading reading, const PoseParameters::Outline& p) {
  const std::size_t n = profile.colours.size();
  const cv::Vec3d inside = profile.mean(from - p.levelSpanPx, from);
  const cv::Vec3d outside = profile.mean(profile.t(n - 1) - p.levelSpanPx, profile.t(n - 1));
  const cv::Vec3d step = inside - outside;
  const double contrastSq = step.dot(step);
  if (!(contrastSq >= p.leastContrast * p.leastContrast)) return std::nullopt;
  const auto shares = ballShares(profile, inside, outside, from, to, reading, p);
  if (!shares) return std::nullopt;
  const std::vector<double>& s = *shares;
  std::size_t best = 0;
  double steepest = 0;
  for (std::size_t i = 1; i + 1 < n; ++i) {
    const double t = profile.t(i), fall = s[i - 1] - s[i + 1];
    if (t >= from && t <= to && fall > steepest) steepest = fall, best = i;
  }
  if (best == 0) return std::nullopt;
  // A parabola through the falls at the best sample and its neighbours places the peak.
  const double a = best >= 2 ? s[best - 2] - s[best] : steepest;
  const double c = best + 2 < n ? s[best] - s[best + 2] : steepest;
  const double curvature = a - 2 * steepest + c;
  const double offset = curvature < 0 ? std::clamp(0.5 * (a - c) / curvature, -0.5, 0.5) : 0.0;
  const double edge = profile.t(best) + offset * profile.step;
  const auto level = [&](double t) {
    const double i = std::clamp((t - profile.first) / profile.step, 0.0, double(n - 1));
    return s[std::size_t(std::lround(i))];
  };
  if (level(edge - p.cleanDistancePx) < p.cleanLevel ||
      level(edge + p.cleanDistancePx) > 1 - p.cleanLevel)
    return std::nullopt;
  // There, too, the ball's own hue rather than the surroundings': a shadow beside the ball
  // passes the level by its darkness alone.
  const cv::Vec3d before =
      profile.mean(edge - p.cleanDistancePx - 0.5, edge - p.cleanDistancePx + 0.5);
  if (cosine(before, inside) < cosine(before, outside)) return std::nullopt;
  return RayEdge{edge, outside, std::sqrt(contrastSq)};
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

// The ball's surroundings are what most rays see beyond its edge; a ray that sees something
// else there (a cast shadow, a rod, an occluder) does not see the outline.
std::vector<cv::Point2d> seeingTheSurroundings(
    const std::vector<std::pair<cv::Point2d, RayEdge>>& found, const PoseParameters::Outline& p) {
  std::vector<double> channels[3], contrasts;
  for (const auto& [point, e] : found) {
    for (int c = 0; c < 3; ++c) channels[c].push_back(e.outside[c]);
    contrasts.push_back(e.contrast);
  }
  std::vector<cv::Point2d> points;
  if (found.empty()) return points;
  const cv::Vec3d surroundings(medianOf(channels[0]), medianOf(channels[1]), medianOf(channels[2]));
  const double tolerance = p.surroundingsTolerance * medianOf(contrasts);
  for (const auto& [point, e] : found)
    if (cv::norm(e.outside - surroundings) <= tolerance) points.push_back(point);
  return points;
}

}  // namespace

std::vector<cv::Point2d> rimPoints(const cv::Mat& bgr, const Blob& blob, EdgeReading reading,
                                   const PoseParameters::Outline& p) {
  // The outline may lie well beyond the blob's edge: a blob may hold only the lit part of a
  // ball whose underside is dark, or whose colour murky water brings close to the water's.
  const double reach = std::max(p.searchPx, p.reachShare * std::sqrt(blob.area / CV_PI));
  const double beyond = p.outsideGapPx + p.levelSpanPx;  // where the surroundings are measured
  const int margin = int(std::ceil(reach + beyond)) + 2;
  const ColourPlanes planes =
      colourPlanes(bgr, cv::Rect(blob.box.x - margin, blob.box.y - margin,
                                 blob.box.width + 2 * margin, blob.box.height + 2 * margin));
  std::vector<std::pair<cv::Point2d, RayEdge>> found;
  Profile profile;
  profile.step = p.stepPx;
  for (int k = 0; k < p.rays; ++k) {
    const double angle = 2 * CV_PI * k / p.rays;
    const cv::Point2d d(std::cos(angle), std::sin(angle));
    const std::optional<double> edge = maskEdge(blob, bgr.size(), d);
    if (!edge) continue;
    const double from = *edge - p.searchPx, to = *edge + reach;
    profile.first = std::max(0.0, from - p.levelSpanPx);
    const double last = to + beyond;
    // The planes are a rectangle: a segment with both ends in it lies wholly in it.
    if (!planes.holds(blob.centroid + profile.first * d) || !planes.holds(blob.centroid + last * d))
      continue;
    profile.colours.clear();
    for (double t = profile.first; t <= last + 1e-9; t += p.stepPx)
      profile.colours.push_back(planes.sample(blob.centroid + t * d));
    if (const auto e = steepestEdge(profile, from, to, reading, p))
      found.emplace_back(blob.centroid + e->t * d, *e);
  }
  return seeingTheSurroundings(found, p);
}

}  // namespace Orvanta::pose
