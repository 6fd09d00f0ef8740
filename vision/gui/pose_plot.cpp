#include "pose_plot.hpp"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

namespace Orvanta {
namespace {

constexpr const char* kNames[PosePlot::kStrips] = {"x [m]", "y [m]", "z [m]", "smjer [°]"};
// The least span a strip shows, so that noise of a still camera does not fill it.
constexpr double kLeastSpan[PosePlot::kStrips] = {0.05, 0.05, 0.05, 5};
const QColor kTrackColour(26, 143, 58);

}  // namespace

PosePlot::PosePlot(QWidget* parent) : QWidget(parent) {
  setObjectName("posePlot");
  setToolTip("Precizna pozicija u zadnjih 20 s");
}

void PosePlot::add(double seconds, const Values& values) {
  if (!samples_.empty() && seconds < samples_.back().seconds) samples_.clear();
  samples_.push_back({seconds, values});
  while (samples_.front().seconds < seconds - kSpan) samples_.pop_front();
  update();
}

void PosePlot::clear() {
  samples_.clear();
  update();
}

std::pair<double, double> PosePlot::range(int strip) const {
  double low = INFINITY, high = -INFINITY;
  for (const Sample& s : samples_) {
    if (!std::isfinite(s.values[strip])) continue;
    low = std::min(low, s.values[strip]);
    high = std::max(high, s.values[strip]);
  }
  if (low > high) low = high = 0;
  const double middle = (low + high) / 2, half = std::max(high - low, kLeastSpan[strip]) / 2;
  return {middle - half, middle + half};
}

void PosePlot::paintStrip(QPainter& painter, int strip, const QRectF& area) const {
  painter.setPen(Qt::lightGray);
  painter.drawRect(area);
  const auto [low, high] = range(strip);
  painter.setPen(Qt::black);
  const QRectF text = area.adjusted(3, 1, -3, -1);
  painter.drawText(text, Qt::AlignLeft | Qt::AlignTop, kNames[strip]);
  painter.setPen(Qt::darkGray);
  painter.drawText(text, Qt::AlignRight | Qt::AlignTop,
                   QString::number(high, 'f', strip < 3 ? 2 : 0));
  painter.drawText(text, Qt::AlignRight | Qt::AlignBottom,
                   QString::number(low, 'f', strip < 3 ? 2 : 0));
  if (samples_.empty()) return;
  const double last = samples_.back().seconds;
  const auto at = [&](const Sample& s) {
    return QPointF(area.right() - (last - s.seconds) / kSpan * area.width(),
                   area.bottom() - (s.values[strip] - low) / (high - low) * area.height());
  };
  // A line through the poses, broken where pictures had none or lie too far apart, or where the
  // heading wraps around.
  QPainterPath path;
  const Sample* previous = nullptr;
  for (const Sample& s : samples_) {
    const double v = s.values[strip];
    if (!std::isfinite(v)) {
      previous = nullptr;
      continue;
    }
    const bool joined = previous && s.seconds - previous->seconds <= kLongestGap &&
                        std::abs(v - previous->values[strip]) < 180;
    joined ? path.lineTo(at(s)) : path.moveTo(at(s));
    previous = &s;
  }
  painter.setPen(QPen(kTrackColour, 1.5));
  painter.drawPath(path);
}

void PosePlot::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.fillRect(rect(), Qt::white);
  QFont small = font();
  small.setPointSizeF(7);
  painter.setFont(small);
  const double height = (rect().height() - 14.0) / kStrips;
  for (int strip = 0; strip < kStrips; ++strip)
    paintStrip(painter, strip, QRectF(0.5, 0.5 + strip * height, rect().width() - 1, height - 1));
  painter.setPen(Qt::darkGray);
  const QRectF axis(2, rect().height() - 14, rect().width() - 4, 14);
  painter.drawText(axis, Qt::AlignLeft | Qt::AlignVCenter, "-20 s");
  painter.drawText(axis, Qt::AlignRight | Qt::AlignVCenter, "sada");
}

}  // namespace Orvanta
