// The local system clock.
#pragma once

#include "platform/Clock.h"

namespace norra {

class SystemClock : public Clock {
 public:
  DateTime Now() const override;

  // One process-wide instance for callers that have no clock of their own.
  static const SystemClock& Instance();
};

}  // namespace norra
