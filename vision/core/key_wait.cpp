#include "key_wait.hpp"

#include "state.hpp"

namespace Orvanta {

int waitKey(Host& host, int ms) {
  constexpr int kEscape = 27;
  const int key = host.keys.wait(ms);
  // Esc, or a window of the activity closed by the operator, ends it as the key "n" would.
  c = static_cast<char>(host.windows.closedByOperator() || key == kEscape ? 'n' : key);
  return c;
}

}  // namespace Orvanta
