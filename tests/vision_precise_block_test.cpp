// The precise block tells the operator how far to trust what it shows: a colour for the trust, the
// quality of a pose, and without one how long ago the last pose was.
#include <gtest/gtest.h>

#include "precise_pose.hpp"
#include "support/recording_texts.hpp"

using namespace Orvanta;
using namespace OrvantaTest;

namespace {

pose::CameraPose posed(int balls, double sigmaM) {
  pose::CameraPose p;
  p.valid = true;
  p.balls = balls;
  p.position = {0.3, -0.2, 1.8};
  p.covariance = pose::PoseCovariance::eye() * (sigmaM * sigmaM / 3);
  if (balls < site::kBallCount) p.status.missing[3] = true;
  return p;
}

}  // namespace

TEST(PreciseBlock, TrustColourQualityAndAgeOfTheLastPose) {
  const std::array<int, 3> green{198, 239, 206}, amber{255, 224, 140}, red{255, 190, 190};
  struct Step {
    const char* what;
    pose::CameraPose pose;
    double seconds;
    std::string status;
    std::array<int, 3> colour;
  };
  const std::vector<Step> steps = {
      {"no pose yet", pose::CameraPose{}, 0.0, "Nema pozicije: ", red},
      {"four balls, 2 mm", posed(4, 0.002), 0.1, "4 kugle, kvaliteta 83", green},
      {"four balls, 3 cm", posed(4, 0.03), 0.2, "4 kugle, kvaliteta 25", amber},
      {"three balls", posed(3, 0.002), 0.3, "3 kugle, nema žute, kvaliteta 83", amber},
      {"lost 1.2 s after the last", pose::CameraPose{}, 1.5, "Nema pozicije:  (zadnja prije 1,2 s)",
       red},
  };
  RecordingTexts texts;
  PreciseBlock block;
  for (const Step& s : steps) {
    block.show(texts, PictureFix{0, s.pose, s.seconds, 1});
    EXPECT_EQ(texts.text("preciseStatus"), s.status) << s.what;
    EXPECT_EQ(texts.swatch("preciseStatus"), s.colour) << s.what;
  }
}
