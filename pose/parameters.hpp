// Every threshold of the precise estimate, with what it trades. The defaults are tuned on
// 320x240 MJPG video of the balls at 0.9 to 2.5 m.
//
// Limits on where things are (search margins, the smallest blob) scale with the picture: a
// camera of twice the resolution sees every ball twice as large. Limits on how precisely an
// outline is measured (profile steps, scatter, bands) stay in pixels: blur, noise and the
// JPEG blocks that set them are a few pixels wide whatever the resolution.
#pragma once

#include <opencv2/core.hpp>

namespace Orvanta::pose {

struct PoseParameters {
  // Which ball, if any, a pixel's colour shows.
  struct Colour {
    // Channel maximum (grey levels) below which a pixel has no colour direction. Higher: fewer
    // false matches in shadows, but a ball's dark underside is lost.
    double darkestLevel = 18;
    // Angle (degrees) beyond which a pixel is no ball's. Wider: shaded rims and colour fringes
    // kept, but the water and the floor more often taken for a ball.
    double widestAngleDeg = 22;
    // Turn of the water's colour (degrees) after which the class table is rebuilt: speed
    // against following the water closely.
    double rebuildAngleDeg = 1;
    // Pixels between the samples of the water's colour: speed against a steady estimate.
    int waterGridPx = 6;
  } colour;

  // The ball's blob of pixels of its colour.
  struct Blobs {
    // Least area (pixels, at 320x240; scales with the picture's area). Lower: smaller, farther
    // balls found, and more specks of noise tried.
    double smallestPx = 12;
    // Least share of the ellipse inscribed in its bounding box the blob fills: compact blobs
    // only. Lower: balls cut by occluders kept, and more irregular false matches.
    double leastFill = 0.5;
    // Longest side over shortest side for a blob clear of the picture's edge.
    double mostElongation = 2.5;
    // Around a ball's last position the search reaches this many of its radii ...
    double searchRadii = 2.0;
    // ... plus this margin (pixels at 320x240; scales with the width) for fast motion. Wider:
    // fast motion followed, at the cost of a larger search.
    double searchMarginPx = 8;
    // A ball not found near where it was (or where the other balls' pose puts it) is looked for
    // over the whole picture, on a copy reduced to about this width (pixels; never enlarged):
    // at 320 a ball of the least area covers as many pixels of it as of a 320x240 picture.
    // Smaller: a faster search, and the smallest balls missed.
    int wholeSearchWidthPx = 320;
    // Lost for this many pictures, the whole-picture search runs only on every
    // wholeSearchEvery-th picture: less work while a ball is out of view, against finding it
    // that many pictures later when it comes back.
    int lostPictures = 3;
    int wholeSearchEvery = 4;
  } blobs;

  // The sub-pixel outline along rays from the blob's centre.
  struct Outline {
    int rays = 32;  // more: a steadier fit, at proportional cost
    // Least share of the rays that must give an outline point. Lower: balls half hidden still
    // measured, with less certain centres.
    double leastShare = 1.0 / 3;
    double stepPx = 0.5;  // between profile samples
    // The edge is searched from this far inside the blob's edge ...
    double searchPx = 2.5;
    // ... to this share of the blob's radius beyond it (at least searchPx). Farther: balls
    // whose blob holds only their lit part measured whole, and more room for a shadow's edge.
    double reachShare = 0.35;
    // The ball's level is the mean over this span before the searched stretch, the
    // surroundings' the mean over this span, this gap beyond its far end.
    double levelSpanPx = 1.5;
    double outsideGapPx = 1.5;
    double leastContrast = 8;  // weighted grey levels between ball and surroundings on a ray
    // A ray whose profile falls below the surroundings' level by more than this share of the
    // contrast crosses a limb darker than both sides, and is read by the colours' split into
    // ball and surroundings rather than by the step between them. Lower: more rays read by
    // the split, which shading does not move but noise moves more.
    double darkLimbShare = 0.2;
    // A clean edge: this far before it the profile is within 1 - cleanLevel of the ball's level
    // and nearer the ball's hue than the surroundings', this far after it within 1 - cleanLevel
    // of the surroundings' level. Stricter: fewer rays through soft shadows and rods, and fewer
    // rays at all.
    double cleanDistancePx = 2;
    double cleanLevel = 0.6;
    // A ray whose colour beyond the edge differs from the surroundings most rays see by more
    // than this share of the ball's contrast sees a shadow, a rod or an occluder, not the water.
    double surroundingsTolerance = 0.5;
    double floorPx = 0.25;      // outline points this close to the cone are never rejected
    double largestRmsPx = 0.5;  // an outline that scatters more is not a ball's
    double settledPx = 0.3;     // a silhouette refinement moving less needs no second look
  } outline;

  // The silhouette's area and centroid, with partly covered pixels weighed.
  struct Silhouette {
    double bandPx = 1.5;      // half-width of the band of partly covered pixels
    double ringPx = 3.0;      // width of the ring outside it that shows the water
    double mostAlikeDeg = 3;  // ball and water colours closer than this: no refinement
  } silhouette;

  // When the pose is refused.
  struct Gates {
    // Reprojection error of the ball centres (pixels). Lower: fewer wrong poses, more refusals.
    double largestCentreRmsPx = 1.0;
    // Rms relative difference between the pose's distances and the balls' ranges.
    double largestRangeDisagreement = 0.03;
    // Three balls: another pose this far (metres) from the best that fits within the gates
    // makes the picture ambiguous. Larger: more three-ball poses, some of them the wrong one ...
    double ambiguousApartM = 0.05;
    // ... as does one whose sizes disagree less than this many times the best's.
    double rivalRangeFactor = 3;
    // Three balls: the pose's movement (metres) when the centres move by their likely error.
    // Larger: three-ball poses nearer the cylinder through the balls' circle, less certain.
    double largestThreeBallSpreadM = 0.035;
    // ... taking no centre as surer than this. On realistic pictures (shadows, gloss, JPEG)
    // four-ball poses leave centre residuals of 0.15-0.25 px rms with two degrees of freedom
    // over, so each centre is off by about 0.3 px. Lower: more three-ball poses, some far off.
    double leastThreeBallCentreErrorPx = 0.3;
    // Typical errors of a good pose, weighing reprojection against ranges when choosing
    // between candidates.
    double typicalCentreRmsPx = 0.1;
    double typicalRangeError = 0.01;
  } gates;

  // The quality figure of a pose, for autopilots that weigh it (0 to 100).
  struct Quality {
    double halfQualitySigmaM = 0.01;  // the position's standard error that halves the quality
    // The planar solutions' cost ratio from which the better one is taken as clearly right;
    // nearer 1 the quality falls towards its least.
    double clearRivalRatio = 4;
  } quality;

  // The limits that scale with the picture, for pictures of `size`.
  PoseParameters forPicture(cv::Size size) const {
    PoseParameters scaled = *this;
    const double s = size.width / 320.0;
    scaled.blobs.smallestPx = blobs.smallestPx * s * s;
    scaled.blobs.searchMarginPx = blobs.searchMarginPx * s;
    return scaled;
  }
};

}  // namespace Orvanta::pose
