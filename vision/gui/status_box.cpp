#include "status_box.hpp"

#include <iostream>

namespace Orvanta {

bool fitsStatusBox(const QPlainTextEdit& box, const QString& text) {
  const int margin = int(box.document()->documentMargin());
  const QRect room = box.contentsRect().adjusted(margin, margin, -margin, -margin);
  return box.fontMetrics().boundingRect(room, Qt::TextWordWrap, text).height() <= room.height();
}

void showStatus(QPlainTextEdit& box, const QString& text) {
  box.setPlainText(text);
  box.moveCursor(QTextCursor::Start);
  const bool whole = fitsStatusBox(box, text);
  box.setToolTip(whole ? QString() : text);
  if (!whole) std::cerr << "orvanta: " << text.toStdString() << '\n';
}

}  // namespace Orvanta
