// The clock port: the current local date and time, so tests and tools can fix it.
#pragma once

#include "text/DateTime.h"

namespace norra {

class Clock {
 public:
  virtual ~Clock() = default;
  virtual DateTime Now() const = 0;
};

}  // namespace norra
