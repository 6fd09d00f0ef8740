#include "position_view.hpp"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <array>
#include <cmath>

#include "state.hpp"

namespace Orvanta {
namespace {

constexpr double kMargin = 0.1;  // metres around everything shown

struct Landmark {
  QPointF at;
  QColor colour;
};

// The balls in their order around the rectangle, from the landmark globals.
std::array<Landmark, site::kBallCount> landmarks() {
  return {{{{dx1, dy1}, Qt::green},
           {{dx2, dy2}, Qt::red},
           {{dx3, dy3}, Qt::blue},
           {{dx4, dy4}, Qt::yellow}}};
}

// The landmark plane seen from above: x to the right, y up, one scale for both.
class PlaneToView {
 public:
  PlaneToView(const QRectF& area, const QRectF& view)
      : scale_(std::min(view.width() / area.width(), view.height() / area.height())),
        origin_(view.center().x() - area.center().x() * scale_,
                view.center().y() + area.center().y() * scale_) {}
  QPointF operator()(QPointF p) const {
    return {origin_.x() + p.x() * scale_, origin_.y() - p.y() * scale_};
  }

 private:
  double scale_;
  QPointF origin_;
};

void appendTo(std::deque<QPointF>& track, std::size_t length, double x, double y) {
  if (!std::isfinite(x) || !std::isfinite(y)) return;
  track.emplace_back(x, y);
  if (track.size() > length) track.pop_front();
}

}  // namespace

PositionView::PositionView(QWidget* parent) : QWidget(parent) {
  setObjectName("positionView");
  setToolTip("Pozicija odozgo");
}

void PositionView::addPosition(double x, double y) {
  appendTo(trail_, kTrailLength, x, y);
  update();
}

void PositionView::addPrecisePosition(double x, double y) {
  appendTo(precise_, kPreciseTrackLength, x, y);
  update();
}

void PositionView::clearTracks() {
  trail_.clear();
  precise_.clear();
  update();
}

QRectF PositionView::shownArea() const {
  // Bounds by hand: QRectF's union skips rectangles of zero size, which single points are.
  double left = 0, right = 0, bottom = 0, top = 0;
  bool first = true;
  auto include = [&](QPointF p) {
    left = first ? p.x() : std::min(left, p.x());
    right = first ? p.x() : std::max(right, p.x());
    bottom = first ? p.y() : std::min(bottom, p.y());
    top = first ? p.y() : std::max(top, p.y());
    first = false;
  };
  for (const Landmark& ball : landmarks()) include(ball.at);
  for (const QPointF& p : precise_) include(p);
  return QRectF(QPointF(left - kMargin, bottom - kMargin), QPointF(right + kMargin, top + kMargin));
}

void PositionView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.fillRect(rect(), Qt::white);
  painter.setPen(Qt::gray);
  painter.drawRect(rect().adjusted(0, 0, -1, -1));

  const PlaneToView toView(shownArea(), QRectF(rect()).adjusted(4, 4, -4, -4));
  const std::array<Landmark, site::kBallCount> balls = landmarks();
  QPolygonF edge;
  for (const Landmark& ball : balls) edge << toView(ball.at);
  painter.setPen(QPen(Qt::darkGray, 1, Qt::DashLine));
  painter.drawPolygon(edge);
  painter.setPen(Qt::black);
  for (const Landmark& ball : balls) {
    painter.setBrush(ball.colour);
    painter.drawEllipse(toView(ball.at), 5, 5);
  }
  if (!precise_.empty()) {
    QPolygonF track;
    for (const QPointF& p : precise_) track << toView(p);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(26, 143, 58), 1.5));
    painter.drawPolyline(track);
    painter.setBrush(QColor(26, 143, 58));
    painter.drawEllipse(track.back(), 4, 4);
  }
  if (trail_.empty()) return;

  QPolygonF path;
  for (const QPointF& p : trail_) path << toView(p);
  painter.setBrush(Qt::NoBrush);
  painter.setPen(QPen(Qt::gray, 1.5));
  painter.drawPolyline(path);
  painter.setBrush(Qt::gray);
  for (const QPointF& p : path) painter.drawEllipse(p, 1.5, 1.5);
  const QPointF marker = path.back();
  painter.setPen(QPen(Qt::black, 2));
  painter.drawLine(marker - QPointF(6, 0), marker + QPointF(6, 0));
  painter.drawLine(marker - QPointF(0, 6), marker + QPointF(0, 6));
}

}  // namespace Orvanta
