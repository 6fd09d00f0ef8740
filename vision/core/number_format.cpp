// glibc's gcvt drops the lone decimal point and writes two-digit exponents, so the text is
// built here from the six rounded digits and the exponent of the rounded value.
#include "number_format.hpp"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace Orvanta {

namespace {

constexpr int significantDigits = 6;

void dropTrailingZeros(std::string& text) {
  while (text.back() == '0') text.pop_back();
}

std::string fixedNotation(const std::string& digits, int exponent) {
  std::string text;
  if (exponent < 0) {
    text = "0." + std::string(-exponent - 1, '0') + digits;
  } else {
    text = digits.substr(0, exponent + 1) + "." + digits.substr(exponent + 1);
  }
  dropTrailingZeros(text);
  return text;
}

std::string exponentNotation(const std::string& digits, int exponent) {
  std::string text = digits.substr(0, 1) + "." + digits.substr(1);
  dropTrailingZeros(text);
  char suffix[16];
  std::snprintf(suffix, sizeof suffix, "e%c%03d", exponent < 0 ? '-' : '+', std::abs(exponent));
  return text + suffix;
}

}  // namespace

std::string formatNumber(double value) {
  if (std::isnan(value)) return "nan";
  if (std::isinf(value)) return value < 0 ? "-inf" : "inf";
  // "%.5e" rounds to six significant digits and gives the exponent after rounding, so
  // 999999.5 is judged as 1e6.
  char scientific[32];
  std::snprintf(scientific, sizeof scientific, "%.*e", significantDigits - 1, std::fabs(value));
  const std::string text(scientific);
  const std::string digits = text.substr(0, 1) + text.substr(2, significantDigits - 1);
  const int exponent = std::atoi(text.c_str() + significantDigits + 2);
  const bool fixed = exponent >= -1 && exponent < significantDigits;
  const std::string sign = value < 0 ? "-" : "";  // negative zero shows as "0."
  return sign + (fixed ? fixedNotation(digits, exponent) : exponentNotation(digits, exponent));
}

std::string ageText(double seconds) {
  char text[48];
  std::snprintf(text, sizeof text, "prije %.1f s", seconds);
  std::string age = text;
  for (char& c : age)
    if (c == '.') c = ',';
  return age;
}

}  // namespace Orvanta
