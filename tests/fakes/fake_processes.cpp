#include "fakes/fake_processes.h"

#include <algorithm>

namespace tvac::fakes {

bool FakeProcesses::Terminate(std::uint32_t id) {
  terminated.push_back(id);
  if (std::find(refuse.begin(), refuse.end(), id) != refuse.end()) return false;
  const auto process = std::find_if(running.begin(), running.end(),
                                    [&](const platform::ProcessInfo& p) { return p.id == id; });
  if (process == running.end()) return false;
  running.erase(process);
  return true;
}

bool FakeProcesses::IsRunning(std::uint32_t id) const {
  return std::any_of(running.begin(), running.end(),
                     [&](const platform::ProcessInfo& p) { return p.id == id; });
}

}  // namespace tvac::fakes
