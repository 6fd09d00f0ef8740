// Constants shared by the vehicle model program.
#pragma once

namespace Orvanta {

// The model's parameters were derived with this rounded pi; keep it so the data stay the same.
inline constexpr double pi = 3.14159265;
inline constexpr double degToRad = pi / 180;
inline constexpr double radToDeg = 180.0 / pi;

// Power with a small non-negative integer exponent, by repeated multiplication.
constexpr double integerPower(double base, int exponent) {
  double result = 1.0;
  for (int i = 0; i < exponent; ++i) {
    result *= base;
  }
  return result;
}

}  // namespace Orvanta
