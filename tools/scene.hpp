// Synthetic frames of the four landmark balls as the vehicle's camera sees them: test input,
// benchmark input and the vision program's demo source when no camera is attached.
#pragma once

#include <array>
#include <opencv2/core.hpp>
#include <optional>
#include <string>
#include <vector>

#include "camera_model.hpp"
#include "landmark_layout.hpp"

namespace Orvanta::scene {

// Camera at `position` (landmark frame, metres) with `rotation` taking landmark-frame directions
// to camera directions: its rows are image right, image down and the viewing direction.
struct Pose {
  cv::Vec3d position;
  cv::Matx33d rotation;
};

// Camera at `position` looking at `target`. Image "up" is the landmark frame's +y projected onto
// the image plane, so a camera above the rectangle sees green and red at the top; when the view
// runs along y, +z is up instead. The camera then rolls by rollDegrees about its viewing
// direction, right-handed: image right turns towards image down.
Pose lookAt(const cv::Vec3d& position, const cv::Vec3d& target, double rollDegrees = 0);

// The camera's attitude as a unit quaternion (w, x, y, z) of the rotation from the camera frame
// to the landmark frame, and its heading: the direction of the image's right in the landmark
// x-y plane, degrees from +x towards +y.
cv::Vec4d cameraQuaternion(const Pose& pose);
double cameraHeadingDegrees(const Pose& pose);

// The water behind the balls.
enum class Water {
  murky,  // low-saturation grey-green, the default
  dark,   // dark green-blue
};

// A chessboard calibration target lying in the landmark plane: `columns` x `rows` inner corners
// `square` metres apart, corner (c, r) at (c * square, r * square, 0), one white square's margin
// around the squares.
struct Chessboard {
  int columns = 9, rows = 6;
  double square = 0.04;
};

struct SceneOptions {
  // The intrinsics scale with the size relative to 320x240, so every size shows the same view.
  cv::Size size{320, 240};
  unsigned seed = 1;    // with the frame index, selects the sensor noise
  double noise = 2.0;   // standard deviation of the sensor noise, grey levels
  bool distort = true;  // false: an ideal pinhole camera
  Water water = Water::murky;
  double gradient = 1.0;  // water brightness from top to bottom: 0 flat, 1 as a lit scene
  double shading = 0.22;  // share of a ball's light that depends on the angle to the lamp
  int mjpgQuality = 90;   // of writeVideo, 1..100
  // What a real dive adds, none by default: the sun from above (cast shadows, the balls' dark
  // undersides; its share of the light is `shading`), glossy highlights (0..1), a sand floor
  // with the frame's rods, water that fades colours with distance (per metre), and each
  // picture through a camera's JPEG at this quality (0: none).
  bool sun = false;
  double gloss = 0;
  bool floor = false;
  double turbidity = 0;
  int jpegQuality = 0;
  // The camera, used at `size` (scaled when it was calibrated at another size of the same
  // shape); none: the vehicle camera of 320x240.
  std::optional<site::CameraModel> camera{};
  site::LandmarkLayout layout = site::defaultLayout();  // where the balls stand, their radius
  std::optional<Chessboard> board{};                    // render this target instead of the balls
};

// The camera that renders the options' frames: at their size, without distortion when they ask
// for an ideal pinhole.
site::CameraModel sceneCamera(const SceneOptions& options);

// Centre of ball 1..4 (green, red, blue, yellow); not-a-number for any other index.
cv::Vec3d ballCentre(int ball, const site::LandmarkLayout& layout = site::defaultLayout());

// The colour of ball 1..4 fully lit, BGR.
cv::Vec3b ballColour(int ball);

// Pictures that make circle detection work hard: long thin structures in the balls' colours
// over murky water.
enum class Stress {
  stripes,       // one-pixel vertical stripes cycling the four colours
  rings,         // concentric one-pixel rings cycling the four colours
  checkerboard,  // two-pixel squares of the four colours
  blobs,         // many small discs of the four colours
};
cv::Mat stressPicture(Stress kind, cv::Size size);

// BGR CV_8UC3 frame: shaded spheres (or the options' chessboard) over murky water, with what the
// options add of a real dive.
// Deterministic in (pose, options, frameIndex); the noise differs between frame indices and
// seeds.
cv::Mat render(const Pose& pose, const SceneOptions& options, int frameIndex = 0);

// The chessboard frame of render.
cv::Mat renderChessboard(const Pose& pose, const SceneOptions& options, int frameIndex);

// Views of the options' chessboard for a camera calibration, as an operator would take them:
// from 1.5 to 3.5 board widths away, tilted up to about 45 degrees in turn about both axes and
// rolled, the board wandering over the whole picture.
std::vector<Pose> chessboardViews(int frames, const Chessboard& board);

// Euclidean distance from `position` to each ball centre, in ball order.
std::array<double, site::kBallCount> trueDistances(
    const cv::Vec3d& position, const site::LandmarkLayout& layout = site::defaultLayout());

// Where the centre of ball 1..4 appears in the frame (through the lens distortion when the
// options ask for it), in pixels.
cv::Point2d projectBall(const Pose& pose, int ball, const SceneOptions& options);

// The frame's pixel at the ball's projected centre (for a glossy or sunlit ball, the median of
// its inner half); black when the centre lies outside the frame.
cv::Vec3b sampleBall(const cv::Mat& frame, const Pose& pose, int ball, const SceneOptions& options);

// A slow descending circle over the rectangle, about 1.7 to 2.1 m from every ball, all four
// in view throughout.
std::vector<Pose> dive(int frames);

// A survey: from 2.5 m down to 1.3 m above the balls, circling off the rectangle's centre, looking
// obliquely and rolling up to 40 degrees (less towards the bottom); the four balls in view.
std::vector<Pose> survey(int frames);

// Reads a pose per frame from a CSV frame,x,y,z,qw,qx,qy,qz (the camera centre in the landmark
// frame and the quaternion of the rotation from the camera frame to the landmark frame), as
// quellmar simulate --camera-poses writes it. On a problem returns false with a one-line reason.
bool readPoseList(const std::string& path, std::vector<Pose>& poses, std::string* error);

// Writes dir/frame_00001.png onwards (frame k rendered with frame index k) and dir/truth.csv
// with the camera position, the four true distances, the attitude quaternion and the heading
// per frame. Creates `dir` if needed.
// On failure returns false with a one-line reason in *error (when given).
bool writeSequence(const std::string& dir, const std::vector<Pose>& poses,
                   const SceneOptions& options, std::string* error);

// The same frames as writeSequence, as an MJPG video at 30 frames per second and the options'
// quality (JPEG blocks and colour at half resolution, as a camera delivers them).
bool writeVideo(const std::string& path, const std::vector<Pose>& poses,
                const SceneOptions& options, std::string* error);

// The vision program's calibration file: per ball the RGB at its projected centre in `frame`
// and the similarity threshold; balls whose centre is outside `frame` are left out (false when
// that is all of them).
bool writeCalibration(const std::string& path, const cv::Mat& frame, const Pose& pose,
                      const SceneOptions& options, int threshold, std::string* error);

}  // namespace Orvanta::scene
