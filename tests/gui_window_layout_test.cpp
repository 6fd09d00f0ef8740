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

TEST(HighguiWindowLayout, AWindowTheWindowManagerPutsElsewhereIsMovedWhereItBelongs) {
  // A window manager that puts every frame 20 px higher than asked; a picture too large for the
  // room beside and below the operator window, shown smaller.
  const ScreenLayout layout{{0, 0, 1600, 1200}, {0, 0, 1182, 747}};
  HighguiWindows windows;
  const auto widgetOf = [](const std::string& title) -> QWidget* {
    for (QWidget* w : QApplication::topLevelWidgets())
      if (w->isVisible() && w->windowTitle() == QString::fromStdString(title)) return w;
    return nullptr;
  };
  windows.arrange([&] { return layout; },
                  [&](const std::string& title) -> std::optional<cv::Rect> {
                    const QWidget* w = widgetOf(title);
                    if (!w) return std::nullopt;
                    return cv::Rect(w->x(), w->y() - 20, w->width(), w->height());
                  });
  windows.namedWindow("Video");
  const cv::Mat picture(960, 1280, CV_8UC3, cv::Scalar(40, 90, 60));
  for (int shown = 0; shown < 30; ++shown) {
    windows.show("Video", picture);
    cv::waitKey(50);
  }
  WindowTiler tiler(layout);
  tiler.place("Video", picture.size(), 0);
  const Placement wanted = tiler.placed().at("Video");
  ASSERT_LT(wanted.scale, 1);
  const QWidget* video = widgetOf("Video");
  ASSERT_NE(video, nullptr);
  // The frame as the window manager reports it, where the tiler put it.
  EXPECT_EQ(cv::Point(video->x(), video->y() - 20), wanted.frame.tl());
  EXPECT_EQ(video->width(), int(std::lround(1280 * wanted.scale)));
  windows.destroyWindow("Video");
}
