// The picture of the operator window in the README. Runs only when ORVANTA_SCREENSHOT names
// the file to write (under a display, e.g. xvfb-run): a calibration and a tracking run on the
// generated dive, then the window as the operator sees it.
#include <gtest/gtest.h>

#include <QApplication>
#include <QPixmap>
#include <cstdlib>

#include "form1.hpp"
#include "gui_support.hpp"

using namespace Orvanta;
using namespace OrvantaTest;

TEST(OperatorWindow, Screenshot) {
  const char* path = std::getenv("ORVANTA_SCREENSHOT");
  if (!path) GTEST_SKIP() << "set ORVANTA_SCREENSHOT to write the window's picture";
  resetVisionState();
  DiveCamera dive{60};
  RecordingWindows windows;
  ScriptedOperator operatorAt{windows, dive.ballCentres(), {200, 200, 200, 200}};
  Form1 form(dive.source(), operatorAt, windows);
  form.show();
  click(form, "button3");
  click(form, "button1");
  QApplication::processEvents();
  EXPECT_TRUE(form.grab().save(path));
  resetVisionState();
}
