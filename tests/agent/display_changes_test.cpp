#include "agent/display_changes.h"

#include <gtest/gtest.h>

#include <chrono>

namespace tvac::agent {
namespace {

using namespace std::chrono_literals;
using Clock = DisplayChanges::Clock;

// The window's side as the main window runs it: a wake-up takes what is due, or
// sets a timer for the wait; the timer takes again when it fires.
struct Window {
  DisplayChanges changes;
  Clock::time_point timer_at{};  // none when epoch
  int paints = 0;
  unsigned painted = 0;

  void Take(Clock::time_point now) {
    timer_at = {};
    const DisplayChanges::Due due = changes.Take(now);
    if (due.areas != 0) {
      ++paints;
      painted |= due.areas;
    } else if (due.wait > 0ms) {
      timer_at = now + due.wait;
    }
  }
  void Mark(unsigned areas, Clock::time_point now) {
    if (changes.Mark(areas)) Take(now);  // the posted wake-up, handled at once
  }
  void Advance(Clock::time_point now) {
    if (timer_at != Clock::time_point{} && now >= timer_at) Take(now);
  }
};

TEST(DisplayChanges, AScanMarkingEveryMillisecondPaintsAboutThirtyTimesASecond) {
  Window w;
  const Clock::time_point start = Clock::now();
  Clock::time_point now = start;
  for (int ms = 0; ms < 1000; ++ms) {
    now = start + std::chrono::milliseconds(ms);
    w.Advance(now);
    w.Mark(ms % 2 ? kAreaPercent : kAreaStatus, now);
  }
  EXPECT_GE(w.paints, 25);
  EXPECT_LE(w.paints, 31);
  // The last marks are painted within one period.
  w.Advance(now + DisplayChanges::kPeriod);
  EXPECT_EQ(w.changes.Take(now + 10 * DisplayChanges::kPeriod).areas, 0u);
  EXPECT_EQ(w.painted, kAreaPercent | kAreaStatus);
}

TEST(DisplayChanges, AQuietWindowPaintsAMarkAtOnce) {
  Window w;
  const Clock::time_point now = Clock::now();
  w.Mark(kAreaResultLine, now);
  EXPECT_EQ(w.paints, 1);
  w.Mark(kAreaLastScan, now + 1s);
  EXPECT_EQ(w.paints, 2);
  EXPECT_EQ(w.painted, kAreaResultLine | kAreaLastScan);
}

TEST(DisplayChanges, AMarkTooSoonWaitsForTheRestOfThePeriod) {
  Window w;
  const Clock::time_point now = Clock::now();
  w.Mark(kAreaPercent, now);
  w.Mark(kAreaStatus, now + 10ms);
  EXPECT_EQ(w.paints, 1);
  ASSERT_NE(w.timer_at, Clock::time_point{});
  EXPECT_EQ(w.timer_at, now + DisplayChanges::kPeriod);
  // Marks meanwhile wake nobody; the timer paints them all.
  EXPECT_FALSE(w.changes.Mark(kAreaResultLine));
  w.Advance(w.timer_at);
  EXPECT_EQ(w.paints, 2);
  EXPECT_EQ(w.painted, kAreaPercent | kAreaStatus | kAreaResultLine);
}

}  // namespace
}  // namespace tvac::agent
