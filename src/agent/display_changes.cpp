#include "agent/display_changes.h"

namespace tvac::agent {

bool DisplayChanges::Mark(unsigned areas) {
  return pending_.fetch_or(areas) == 0;
}

DisplayChanges::Due DisplayChanges::Take(Clock::time_point now) {
  const Clock::duration since = now - last_;
  if (last_ != Clock::time_point{} && since < kPeriod) {
    const auto wait = std::chrono::ceil<std::chrono::milliseconds>(kPeriod - since);
    return {0, wait};
  }
  const unsigned areas = pending_.exchange(0);
  if (areas != 0) last_ = now;
  return {areas, std::chrono::milliseconds{0}};
}

}  // namespace tvac::agent
