#pragma once

#include <chrono>

#include "platform/clock.h"

namespace tvac::fakes {

// A calendar that says what the test sets; waiting only adds up.
class FakeClock : public platform::Clock {
 public:
  platform::LocalDate Today() override { return today_; }
  void Wait(std::chrono::milliseconds duration) override { waited_ += duration; }

  void SetToday(int year, int month, int day) { today_ = {year, month, day}; }
  std::chrono::milliseconds waited() const { return waited_; }

 private:
  platform::LocalDate today_{2011, 5, 5};
  std::chrono::milliseconds waited_{0};
};

}  // namespace tvac::fakes
