// The controls of the operator window, each with its designer name as objectName, its text,
// font and place.
#pragma once

#include <QWidget>
#include <vector>

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

// The parts of the client area the operator reads from: the top strip (status, positions,
// hint line) and the precise column (precise position, top view, plot).
inline std::vector<QRect> form1Readings() {
  return {QRect(0, 0, kForm1Width, kHintLine.bottom() + 1),
          QRect(kPreciseColumnX, 0, kPreciseColumnWidth, kForm1Height)};
}

// Creates every control of the window as a child of form.
void buildForm1Controls(QWidget* form);

}  // namespace Orvanta
