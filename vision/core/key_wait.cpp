#include "key_wait.hpp"

#include "state.hpp"

namespace Orvanta {

int waitKey(Host& host, int ms) {
  const int key = host.keys.wait(ms);
  // A window of the activity closed by the operator ends it as the key "n" would.
  c = static_cast<char>(host.windows.closedByOperator() ? 'n' : key);
  return c;
}

}  // namespace Orvanta
