// The screen around the operator window, for placing the image windows.
#pragma once

#include <QWidget>

#include "window_layout.hpp"

namespace Orvanta {

// The screen the window is on (its usable part) and the window's frame. A frame not yet
// decorated by the window manager is taken with an allowance for its title bar and border.
ScreenLayout layoutAround(const QWidget& operatorWindow);

}  // namespace Orvanta
