// The one key wait of the program: every loop waits through here, so the key lands in c.
#pragma once

#include "host.hpp"

namespace Orvanta {

// Waits up to ms milliseconds through host.keys (window events are dispatched meanwhile),
// stores the key narrowed to 8 bits in c and returns that value (-1 for no key). Esc, and the
// operator closing one of the activity's image windows meanwhile, count as the key "n".
int waitKey(Host& host, int ms);

// No operator, no events: returns at once with no key (headless runs, benchmarks).
class NoKeyWait : public KeyWait {
 public:
  int wait(int) override { return -1; }
};

}  // namespace Orvanta
