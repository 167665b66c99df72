// A clock that always tells the time it was given (tests, the tools' --now option).
#pragma once

#include "platform/Clock.h"

namespace norra {

class FixedClock : public Clock {
 public:
  FixedClock() = default;
  explicit FixedClock(const DateTime& now) : now_(now) {}

  DateTime Now() const override { return now_; }
  void Set(const DateTime& now) { now_ = now; }

 private:
  DateTime now_;
};

}  // namespace norra
