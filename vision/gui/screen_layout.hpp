// The screen around the operator window, for placing the image windows.
#pragma once

#include <QWidget>
#include <optional>
#include <string>

#include "window_layout.hpp"

namespace Orvanta {

// The screen the window is on (its usable part), the window's frame and its readings. A frame
// not yet decorated by the window manager is taken with an allowance for its title bar and
// border.
ScreenLayout layoutAround(const QWidget& operatorWindow);

// The frame of the visible top-level window with that title, once the window manager has
// decorated it.
std::optional<cv::Rect> decoratedFrame(const std::string& title);

}  // namespace Orvanta
