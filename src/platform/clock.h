#pragma once

#include <chrono>

namespace tvac::platform {

struct LocalDate {
  int year = 0;   // four digits
  int month = 0;  // 1 to 12
  int day = 0;    // 1 to 31
};

class Clock {
 public:
  virtual ~Clock() = default;

  // Today's date in the machine's local time.
  virtual LocalDate Today() = 0;

  // Blocks the calling thread for `duration`.
  virtual void Wait(std::chrono::milliseconds duration) = 0;
};

}  // namespace tvac::platform
