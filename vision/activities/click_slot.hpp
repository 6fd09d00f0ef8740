// The mouse callback of the calibration picture and the histogram. Both windows share one
// click slot (box, izmjena in state.hpp): a left press is parked there until an activity
// takes it on its next pass.
#pragma once

namespace Orvanta {

// highgui mouse callback: a left press stores x, y in box and sets izmjena; every other
// event, the flags and the user parameter are ignored.
void mouseClick(int event, int x, int y, int flags, void* param);

}  // namespace Orvanta
