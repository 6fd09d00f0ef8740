// The real key wait: highgui's, which also runs the Qt event loop of every window.
#pragma once

#include "host.hpp"

namespace Orvanta {

class HighguiKeyWait : public KeyWait {
 public:
  int wait(int ms) override;
};

}  // namespace Orvanta
