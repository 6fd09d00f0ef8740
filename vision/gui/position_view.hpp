// A small top view of the landmark rectangle: the four balls in their colours, the camera's
// estimated x, y as a marker and its last few positions as a trail.
#pragma once

#include <QPointF>
#include <QRectF>
#include <QWidget>
#include <cstddef>
#include <deque>

namespace Orvanta {

class PositionView : public QWidget {
  Q_OBJECT

 public:
  static constexpr std::size_t kTrailLength = 12;

  explicit PositionView(QWidget* parent = nullptr);

  // A new estimate (metres, landmark frame); positions that are not numbers are skipped.
  void addPosition(double x, double y);
  // Oldest first; the last one is the marker.
  const std::deque<QPointF>& trail() const { return trail_; }
  // The part of the landmark plane shown: the rectangle and the trail with a margin.
  QRectF shownArea() const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  std::deque<QPointF> trail_;
};

}  // namespace Orvanta
