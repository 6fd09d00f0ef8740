// The operator window needs a QApplication for the whole test program. Without a display
// (test discovery at build time, CI) it runs on Qt's offscreen platform.
#include <gtest/gtest.h>

#include <QApplication>

#if defined(__SANITIZE_ADDRESS__)
// Qt's platform plugin and highgui keep their screens, windows and fonts until the process ends
// and never free them: that is no leak of ours, and leak reports of it would fail the listing
// of these tests at build time. The other test programs keep leak detection.
extern "C" const char* __asan_default_options() {
  return "detect_leaks=0";
}
#endif

int main(int argc, char** argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM") && !qEnvironmentVariableIsSet("DISPLAY"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
