// The status box shows a message from its start; one too long for the box is whole in its
// tool tip and on the program's standard error.
#pragma once

#include <QPlainTextEdit>
#include <QString>

namespace Orvanta {

void showStatus(QPlainTextEdit& box, const QString& text);

// Whether the text shows whole in the box.
bool fitsStatusBox(const QPlainTextEdit& box, const QString& text);

}  // namespace Orvanta
