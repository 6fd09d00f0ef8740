// The controls of the operator window, each with its designer name as objectName, its text,
// font and place.
#pragma once

#include <QWidget>

namespace Orvanta {

// Client area of the operator window: the designer's 880 x 717, and a column on the right for
// the precise position and the top view.
inline constexpr int kForm1Width = 1180;
inline constexpr int kForm1Height = 717;
// That column.
inline constexpr int kPreciseColumnX = 884;
inline constexpr int kPreciseColumnWidth = 288;
// The hint line, between the top strip and the first row.
inline const QRect kHintLine(280, 93, 596, 42);

// Creates every control of the window as a child of form.
void buildForm1Controls(QWidget* form);

}  // namespace Orvanta
