// Real highgui windows closed with the window manager's button (QWidget::close, as the close
// button does) end the activity that opened them.
#include <gtest/gtest.h>

#include <QApplication>
#include <QWidget>

#include "image_windows.hpp"
#include "support/disc_frames.hpp"
#include "support/recording_texts.hpp"
#include "support/scripted_key_wait.hpp"
#include "support/vision_state.hpp"
#include "tracking_loop.hpp"

using namespace Orvanta;
using namespace OrvantaTest;

TEST(HighguiWindowClosed, ClosingADetectionWindowEndsTheTracking) {
  resetVisionState();
  calibrateDiscColours();
  int closedAt = -1;
  ScriptedKeyWait keys({}, [&](int wait) {
    if (wait != 2) return;
    for (QWidget* w : QApplication::topLevelWidgets())
      if (w->windowTitle() == "Median" && w->isVisible()) {
        w->close();
        closedAt = wait;
      }
  });
  RecordingTexts texts;
  HighguiWindows windows;
  Host host{writeDiscSequence(scratchFolder(), std::vector<DiscFrame>(30)), texts, keys, windows};
  button1_Click(host);
  EXPECT_EQ(closedAt, 2);
  EXPECT_EQ(keys.waits(), 3);                // 14 passes were left in the source
  EXPECT_FALSE(windows.closedByOperator());  // the teardown destroyed the windows
  EXPECT_EQ(texts.text("textBox7"), "");
  resetVisionState();
}
