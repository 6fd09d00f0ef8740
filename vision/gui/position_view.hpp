// A top view of the landmark rectangle: the four balls in their colours, the range solver's
// estimated x, y as a cross with its last few positions as a trail, and the precise estimate's
// track in green. It is scaled to the balls and the precise track: the coarse estimate's
// outliers never shrink the track; a coarse position beyond them is not shown.
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
  static constexpr std::size_t kPreciseTrackLength = 150;  // five seconds of pictures

  explicit PositionView(QWidget* parent = nullptr);

  // A new estimate (metres, landmark frame); positions that are not numbers are skipped.
  void addPosition(double x, double y);
  void addPrecisePosition(double x, double y);
  // Oldest first; the last one is the marker.
  const std::deque<QPointF>& trail() const { return trail_; }
  const std::deque<QPointF>& preciseTrack() const { return precise_; }
  // The part of the landmark plane shown: the rectangle and the precise track with a margin.
  QRectF shownArea() const;
  void clearTracks();

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  std::deque<QPointF> trail_, precise_;
};

}  // namespace Orvanta
