#pragma once

#include <atomic>
#include <chrono>

// What of the main window changed since it was last painted. Workers mark areas as
// often as they like; the window's thread takes them at most once a period, so a
// scan of many entries costs a bounded number of repaints however fast it runs.
namespace tvac::agent {

enum Area : unsigned {
  kAreaPercent = 1u << 0,  // the progress bar and the percent text
  kAreaStatus = 1u << 1,
  kAreaResultLine = 1u << 2,
  kAreaLastScan = 1u << 3,
};

class DisplayChanges {
 public:
  using Clock = std::chrono::steady_clock;
  // About 30 repaints a second.
  static constexpr std::chrono::milliseconds kPeriod{33};

  // Any thread. True when nothing was marked before: the caller then wakes the
  // window's thread, which calls Take.
  bool Mark(unsigned areas);

  // The window's thread: the areas to paint now, or none and how long to wait
  // before taking again.
  struct Due {
    unsigned areas = 0;
    std::chrono::milliseconds wait{0};
  };
  Due Take(Clock::time_point now);

 private:
  std::atomic<unsigned> pending_{0};
  Clock::time_point last_{};  // the window's thread only
};

}  // namespace tvac::agent
