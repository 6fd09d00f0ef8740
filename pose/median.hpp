// The median of a handful of values (the upper one of an even count), in linear time.
#pragma once

#include <algorithm>
#include <vector>

namespace Orvanta::pose {

inline double medianOf(std::vector<double> values) {
  const auto middle = values.begin() + std::ptrdiff_t(values.size() / 2);
  std::nth_element(values.begin(), middle, values.end());
  return *middle;
}

}  // namespace Orvanta::pose
