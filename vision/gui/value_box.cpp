#include "value_box.hpp"

#include <QStyle>
#include <QStyleOptionFrame>

namespace Orvanta {
namespace {

constexpr double kLeastPointSize = 7;
constexpr const char* kDesignedSize = "designedPointSize";
constexpr int kCursorWidth = 1;
constexpr int kInnerMargin = 2;  // QLineEdit's own, on each side of the text

bool fits(const QLineEdit& box, const QFont& font, const QString& text) {
  return QFontMetrics(font).horizontalAdvance(text) <= textRoom(box);
}

}  // namespace

int textRoom(const QLineEdit& box) {
  QStyleOptionFrame option;
  option.initFrom(&box);
  option.lineWidth = box.hasFrame() ? box.style()->pixelMetric(QStyle::PM_DefaultFrameWidth) : 0;
  const QRect contents = box.style()->subElementRect(QStyle::SE_LineEditContents, &option, &box);
  const QMargins margins = box.textMargins();
  return contents.width() - margins.left() - margins.right() - 2 * kInnerMargin - kCursorWidth;
}

void showValue(QLineEdit& box, const QString& text) {
  if (!box.property(kDesignedSize).isValid())
    box.setProperty(kDesignedSize, box.font().pointSizeF());
  QFont font = box.font();
  font.setPointSizeF(box.property(kDesignedSize).toDouble());
  font.setStretch(QFont::Unstretched);
  // Narrower letters first, then smaller ones.
  if (!fits(box, font, text)) font.setStretch(QFont::Condensed);
  while (!fits(box, font, text) && font.pointSizeF() > kLeastPointSize)
    font.setPointSizeF(std::max(kLeastPointSize, font.pointSizeF() - 0.5));
  box.setFont(font);
  box.setText(text);
  box.setCursorPosition(0);
  box.setToolTip(fits(box, font, text) ? QString() : text);
}

}  // namespace Orvanta
