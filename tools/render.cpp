// Ray-cast rendering of the four balls through the lens, with anti-aliased silhouettes.
#include <cmath>
#include <cstdint>
#include <optional>

#include "camera_model.hpp"
#include "noise.hpp"
#include "ray_table.hpp"
#include "scene.hpp"
#include "seabed.hpp"

namespace Orvanta::scene {

namespace {

// BGR, ball order. Chosen so that under the vision program's HSV similarity each ball scores
// at most 191 against every other ball's reference and at least 214 against its own over the
// whole shading range: the default threshold 200 separates them.
const std::array<cv::Vec3f, site::kBallCount> kBallColours = {
    cv::Vec3f(47, 160, 13), cv::Vec3f(17, 44, 210), cv::Vec3f(215, 22, 17),
    cv::Vec3f(103, 240, 250)};

// Water lighter towards the top of the frame: low-saturation blue-green, or dark green-blue.
struct WaterColours {
  cv::Vec3f top, bottom;
};
WaterColours waterColours(const SceneOptions& options) {
  const WaterColours base = options.water == Water::dark
                                ? WaterColours{{72, 58, 18}, {46, 38, 12}}
                                : WaterColours{{105, 100, 80}, {70, 72, 58}};
  const cv::Vec3f mean = (base.top + base.bottom) * 0.5f;
  const float g = float(options.gradient);
  return {mean + g * (base.top - mean), mean + g * (base.bottom - mean)};
}

// Half-width of the band around a silhouette, in pixels, where a pixel may be partly covered;
// covers the half-diagonal of a pixel plus the lens's stretching at the corners.
constexpr double kEdgeBandPixels = 1.5;

struct Sphere {
  cv::Vec3d centre;  // camera frame
  double centreSq;
  cv::Vec3f colour;
};

struct View {
  std::array<Sphere, site::kBallCount> spheres;
  double radius;    // of every ball, metres
  cv::Vec3d light;  // camera frame, unit, towards the light: the lamp, or the sun
  double edgeBand;  // normalised image units per pixel times kEdgeBandPixels
  double ambient, diffuse;
  double gloss, turbidity;
  Seabed seabed;           // landmark frame
  cv::Vec3d eye;           // camera centre, landmark frame
  cv::Matx33d toLandmark;  // camera-frame directions to the landmark frame
};

View makeView(const Pose& pose, const SceneOptions& options) {
  View view;
  // The default keeps a strong ambient term, so the shading stays within the similarity
  // threshold across the ball.
  view.ambient = 1 - options.shading;
  view.diffuse = options.shading;
  for (int ball = 1; ball <= site::kBallCount; ++ball) {
    const cv::Vec3d centre = pose.rotation * (ballCentre(ball, options.layout) - pose.position);
    view.spheres[ball - 1] = {centre, centre.dot(centre), kBallColours[ball - 1]};
  }
  // Light from above and behind the camera, as from a lamp on the vehicle's top; or the sun.
  view.light = cv::normalize(cv::Vec3d(0, -0.6, -1));
  view.radius = options.layout.ballRadius;
  view.gloss = options.gloss;
  view.turbidity = options.turbidity;
  view.eye = pose.position;
  view.toLandmark = pose.rotation.t();
  view.seabed = {{}, view.radius, options.floor};
  for (int ball = 1; ball <= site::kBallCount; ++ball)
    view.seabed.balls[ball - 1] = ballCentre(ball, options.layout);
  if (options.sun) {
    view.seabed.sun = sunDirection();
    view.light = pose.rotation * *view.seabed.sun;
  }
  const cv::Matx33d k = sceneCamera(options).intrinsics;
  view.edgeBand = kEdgeBandPixels / std::min(k(0, 0), k(1, 1));
  return view;
}

// What one unit ray meets: the nearest sphere it hits, and whether it passes so close to a
// silhouette that its pixel may be only partly covered.
struct Trace {
  const Sphere* sphere = nullptr;
  double t = INFINITY;
  bool nearEdge = false;
};

Trace trace(const View& view, const cv::Vec3d& ray) {
  const double radius = view.radius, radiusSq = radius * radius;
  Trace result;
  for (const Sphere& sphere : view.spheres) {
    const double along = ray.dot(sphere.centre);
    if (along <= 0) continue;
    const double offAxisSq = sphere.centreSq - along * along;
    const double band = view.edgeBand * along;
    // Cheap rejection first: almost every ray passes far from every ball.
    if (offAxisSq >= (radius + band) * (radius + band)) continue;
    if (std::abs(std::sqrt(std::max(0.0, offAxisSq)) - radius) < band) result.nearEdge = true;
    if (offAxisSq >= radiusSq) continue;
    const double t = along - std::sqrt(radiusSq - offAxisSq);
    if (t > 0 && t < result.t) result.t = t, result.sphere = &sphere;
  }
  return result;
}

// The floor or a rod where the ray (its landmark-frame direction) meets one, lit by the lamp or
// the sun unless in a shadow; else the water.
cv::Vec3f backgroundOf(const View& view, const cv::Vec3d& direction, const cv::Vec3f& water,
                       const std::optional<SurfaceHit>& surface) {
  if (!surface) return water;
  const cv::Vec3d point = view.eye + surface->t * direction;
  double shade = view.ambient;
  if (!inShadow(view.seabed, point))
    shade += view.diffuse * std::max(0.0, surface->normal.dot(view.toLandmark * view.light));
  return throughWater(surface->colour * float(shade), water, surface->t, view.turbidity);
}

// Lambert plus ambient on the sphere that was hit, with a glossy highlight, through the water;
// or what lies behind (or a rod in front).
cv::Vec3f colourOf(const View& view, const cv::Vec3d& ray, const Trace& hit,
                   const cv::Vec3f& water) {
  std::optional<SurfaceHit> surface;
  const cv::Vec3d direction = view.toLandmark * ray;  // landmark frame
  if (view.seabed.floor) surface = hitFloorOrRod(view.seabed, view.eye, direction);
  if (!hit.sphere || (surface && surface->t < hit.t))
    return backgroundOf(view, direction, water, surface);
  const cv::Vec3d normal = (hit.t * ray - hit.sphere->centre) / view.radius;
  const double shade = view.ambient + view.diffuse * std::max(0.0, normal.dot(view.light));
  cv::Vec3f colour = hit.sphere->colour * float(shade);
  if (view.gloss > 0) {
    const cv::Vec3d halfway = cv::normalize(view.light - ray);
    colour +=
        cv::Vec3f::all(float(255 * view.gloss * std::pow(std::max(0.0, normal.dot(halfway)), 60)));
  }
  return throughWater(colour, water, hit.t, view.turbidity);
}

// Mean of 3x3 rays spread over the pixel's area.
cv::Vec3f supersample(const View& view, const RayTable& rays, int u, int v,
                      const cv::Vec3f& water) {
  cv::Vec3f sum(0, 0, 0);
  for (double dv : {-1.0 / 3, 0.0, 1.0 / 3})
    for (double du : {-1.0 / 3, 0.0, 1.0 / 3}) {
      const cv::Vec3d ray = rays.at(u + du, v + dv);
      sum += colourOf(view, ray, trace(view, ray), water);
    }
  return sum / 9.0f;
}

cv::Vec3f waterColour(const WaterColours& water, int row, int height) {
  const float f = height > 1 ? float(row) / float(height - 1) : 0.0f;
  return water.top * (1 - f) + water.bottom * f;
}

}  // namespace

cv::Vec3b ballColour(int ball) {
  const cv::Vec3f& c = kBallColours.at(std::size_t(ball - 1));
  return {uchar(c[0]), uchar(c[1]), uchar(c[2])};
}

cv::Mat render(const Pose& pose, const SceneOptions& options, int frameIndex) {
  if (options.size.width <= 0 || options.size.height <= 0) return {};
  if (options.board) return renderChessboard(pose, options, frameIndex);
  const RayTable& rays = rayTable(sceneCamera(options));
  const View view = makeView(pose, options);
  const WaterColours waterRange = waterColours(options);
  cv::Mat image(options.size, CV_32FC3);
  for (int v = 0; v < image.rows; ++v) {
    const cv::Vec3f water = waterColour(waterRange, v, image.rows);
    auto* row = image.ptr<cv::Vec3f>(v);
    for (int u = 0; u < image.cols; ++u) {
      const cv::Vec3d& ray = rays.at(u, v);
      const Trace hit = trace(view, ray);
      row[u] =
          hit.nearEdge ? supersample(view, rays, u, v, water) : colourOf(view, ray, hit, water);
    }
  }
  addSensorNoise(image, options, frameIndex);
  cv::Mat frame;
  image.convertTo(frame, CV_8UC3);
  if (options.jpegQuality > 0) throughCameraJpeg(frame, options.jpegQuality);
  return frame;
}

}  // namespace Orvanta::scene
