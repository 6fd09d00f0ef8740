// The controls of the operator window, each with its designer name as objectName, its text,
// font and place.
#pragma once

#include <QWidget>

namespace Orvanta {

// Client area of the operator window.
inline constexpr int kForm1Width = 880;
inline constexpr int kForm1Height = 717;

// Creates every control of the window as a child of form.
void buildForm1Controls(QWidget* form);

}  // namespace Orvanta
