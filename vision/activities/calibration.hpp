// The colour calibration behind "Odabir slike", and the saved calibration of a session.
#pragma once

#include <string>

#include "ball_measurement.hpp"
#include "calibration_file.hpp"
#include "host.hpp"

namespace Orvanta {

namespace autopilot {
class AutopilotLink;
}

// Settings of one program run that outlive a single activity.
struct Session {
  std::string calibrationPath;  // empty: calibrations are neither loaded nor saved
  CalibrationSetup setup{};     // as the calibration file has it
  // The file exists but could not be loaded: this run never writes over it.
  bool fileUnreadable = false;
  // Pictures per second of an image sequence in the window; 0 plays every source as fast as
  // it delivers.
  double playbackFps = 0;
  bool keepVideoFile = false;  // as the host's
  // The vehicle's autopilot, told of every pose the tracking loop finds; none: no link.
  autopilot::AutopilotLink* link = nullptr;
  // The user's landmark layout and camera files, as read at start-up; none: the design's.
  std::optional<site::LandmarkLayout> layoutFile{};
  std::optional<site::CameraModel> cameraFile{};
  // The file's text when this run last read or wrote it: a save that finds another text on disk
  // says that another program changed the file.
  std::string fileText{};
  // Another program's change that a save kept, since the window last took the note.
  std::string saveNote{};
  // Why the last save failed; empty once a save succeeds. The window keeps it in sight.
  std::string saveFailure{};
};

// Shows the still picture in "RGB prikaz slike" and asks for a click on the green, red,
// blue and yellow ball in turn; each click samples one pixel into the ball's record and row,
// then the threshold histogram scores that still picture. "n" ends it early. Without a still
// picture or an open camera it opens the camera and grabs one first. Releases the camera and
// closes both image windows at the end; with a calibration path set, saves after each ball.
void button3_Click(Host& host, Session& session);

// The same for ball 1..4 alone: the others keep their colours, and brojOdabranihBoja its count.
// True when the ball got a new colour and threshold.
bool calibrateBall(Host& host, Session& session, int ball);

// Names the pairs of calibrated balls whose colours one ball's mask would take both of (the same
// colour chosen twice), for the operator; empty when there are none.
std::string colourClashes();

// Writes the colour, HSV, threshold and swatch of every calibrated ball into its row.
void showCalibration(OperatorTexts& texts);

// What restoreSession found: a calibration loaded, a file that could not be (the error names
// it), or neither (no file).
struct Restored {
  bool loaded = false;
  std::string error;
};

// Loads the session's calibration file if it exists (its ball radius into the session) and
// shows it; a file that cannot be loaded is left as it is for the whole run.
Restored restoreSession(Session& session, OperatorTexts& texts);

// Saves the calibration and the trackbars to the session's file (atomically), keeping what
// another program changed in it meanwhile; a failure (also on standard error) or such a change
// is reported in the status box and kept in saveFailure or saveNote. Does nothing without a
// calibration path or for a file that could not be loaded.
void saveSession(Session& session, OperatorTexts& texts);

}  // namespace Orvanta
