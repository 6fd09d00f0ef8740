// Numbers as the operator window shows them: six significant digits, the decimal point always
// kept, exponent notation outside 0.1 .. 1e6 with a signed three-digit exponent
// (255 -> "255.", 0.5 -> "0.5", 0.05 -> "5.e-002", 1e6 -> "1.e+006").
#pragma once

#include <string>

namespace Orvanta {

// Non-finite values give "inf", "-inf" and "nan".
std::string formatNumber(double value);

// How long ago, in tenths of a second with the operator's decimal comma: "prije 1,2 s".
std::string ageText(double seconds);

}  // namespace Orvanta
