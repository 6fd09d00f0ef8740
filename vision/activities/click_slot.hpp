// The mouse callback of the calibration picture: a left press is parked in the click slot (box,
// izmjena in state.hpp) until the calibration takes it on its next pass. The histogram keeps
// its own clicks.
#pragma once

namespace Orvanta {

// highgui mouse callback: a left press stores x, y in box and sets izmjena; every other
// event, the flags and the user parameter are ignored.
void mouseClick(int event, int x, int y, int flags, void* param);

}  // namespace Orvanta
