// The balls' names in the operator's language, in their order (green, red, blue, yellow).
#pragma once

namespace Orvanta {

// In the genitive, as in "nema žute" (no yellow one) or "zelene i žute kugle".
inline constexpr const char* kBallGenitive[] = {"zelene", "crvene", "plave", "žute"};

}  // namespace Orvanta
