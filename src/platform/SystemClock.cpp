// The local system clock.
#include "platform/SystemClock.h"

namespace norra {

DateTime SystemClock::Now() const { return norra::Now(); }

const SystemClock& SystemClock::Instance() {
  static const SystemClock clock;
  return clock;
}

}  // namespace norra
