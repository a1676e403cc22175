#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/processes.h"

namespace tvac::fakes {

// A process table the test fills; Terminate removes the process unless it is
// protected, and remembers every id it was asked to end.
class FakeProcesses : public platform::Processes {
 public:
  std::optional<std::vector<platform::ProcessInfo>> List() override {
    if (list_fails) return std::nullopt;
    return running;
  }
  bool Terminate(std::uint32_t id) override;
  std::uint32_t CurrentProcessId() override { return own_id; }

  bool IsRunning(std::uint32_t id) const;

  std::vector<platform::ProcessInfo> running;
  std::vector<std::uint32_t> terminated;
  std::vector<std::uint32_t> refuse;  // ids whose termination the system refuses
  std::uint32_t own_id = 1;
  bool list_fails = false;
};

// Records what was started.
class FakeShell : public platform::Shell {
 public:
  struct Call {
    std::string file;
    std::string parameters;
    platform::ShowWindow show;
  };
  bool Open(std::string_view file, std::string_view parameters,
            platform::ShowWindow show) override {
    calls.push_back({std::string(file), std::string(parameters), show});
    return succeeds;
  }
  std::vector<Call> calls;
  bool succeeds = true;
};

}  // namespace tvac::fakes
