// The operator window's value boxes show their whole text from its first character: a text
// too long for the box's own font is drawn narrower and smaller, down to a legible least size; one
// still too long is shown from its start and whole in the tool tip.
#pragma once

#include <QLineEdit>
#include <QString>

namespace Orvanta {

void showValue(QLineEdit& box, const QString& text);

// The width the box has for its text.
int textRoom(const QLineEdit& box);

}  // namespace Orvanta
