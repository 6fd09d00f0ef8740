// The real detection windows of a tracking run land where the tiler puts them: on the screen,
// clear of the operator window and of one another.
#include <gtest/gtest.h>

#include <QApplication>
#include <QWidget>

#include "image_windows.hpp"
#include "screen_layout.hpp"
#include "support/disc_frames.hpp"
#include "support/recording_texts.hpp"
#include "support/scripted_key_wait.hpp"
#include "support/vision_state.hpp"
#include "tracking_loop.hpp"

using namespace Orvanta;
using namespace OrvantaTest;

TEST(HighguiWindowLayout, DetectionWindowsLieBesideTheOperatorWindowAndApart) {
  resetVisionState();
  calibrateDiscColours();
  const ScreenLayout layout{{0, 0, 1600, 1200}, {0, 0, 1182, 747}};
  const QRect screen(0, 0, 1600, 1200), operatorWindow(0, 0, 1182, 747);
  std::map<QString, QRect> frames;
  ScriptedKeyWait keys({}, [&](int wait) {
    if (wait != 2) return;
    for (QWidget* w : QApplication::topLevelWidgets())
      if (w->isVisible() && !w->windowTitle().isEmpty()) frames[w->windowTitle()] = w->geometry();
  });
  RecordingTexts texts;
  HighguiWindows windows;
  windows.arrange([&] { return layout; }, decoratedFrame);
  Host host{writeDiscSequence(scratchFolder(), std::vector<DiscFrame>(12)), texts, keys, windows};
  button1_Click(host);
  ASSERT_EQ(frames.size(), 6u);
  for (const auto& [title, frame] : frames) {
    EXPECT_TRUE(screen.contains(frame)) << title.toStdString() << " off the screen";
    EXPECT_FALSE(frame.intersects(operatorWindow)) << title.toStdString();
    for (const auto& [other, otherFrame] : frames)
      EXPECT_TRUE(title == other || !frame.intersects(otherFrame))
          << title.toStdString() << " over " << other.toStdString();
  }
  resetVisionState();
}
