// The precise pose over the last seconds: x, y and z (metres) and the heading (degrees), one
// strip each, scaled to what they show, with gaps where pictures had no pose.
#pragma once

#include <QWidget>
#include <array>
#include <deque>
#include <utility>

namespace Orvanta {

class PosePlot : public QWidget {
  Q_OBJECT

 public:
  static constexpr double kSpan = 20;       // seconds shown
  static constexpr double kLongestGap = 1;  // seconds between pictures still joined by a line
  static constexpr int kStrips = 4;
  using Values = std::array<double, kStrips>;  // x, y, z, heading; NaN: no pose
  struct Sample {
    double seconds;
    Values values;
  };

  explicit PosePlot(QWidget* parent = nullptr);

  // A picture's pose, or NaNs for a picture without one, at its capture time. A time before the
  // last sample's (another source, a recording started again) starts the plot anew.
  void add(double seconds, const Values& values);
  void clear();
  // Oldest first, the last kSpan seconds.
  const std::deque<Sample>& samples() const { return samples_; }
  // The values a strip spans (low, high), at least its least span around their middle.
  std::pair<double, double> range(int strip) const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  std::deque<Sample> samples_;

  void paintStrip(class QPainter& painter, int strip, const QRectF& area) const;
};

}  // namespace Orvanta
