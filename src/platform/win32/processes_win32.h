#pragma once

#include "platform/processes.h"

namespace tvac::platform::win32 {

class Win32Processes : public Processes {
 public:
  std::optional<std::vector<ProcessInfo>> List() override;
  bool Terminate(std::uint32_t id) override;
  std::uint32_t CurrentProcessId() override;
};

class Win32Shell : public Shell {
 public:
  bool Open(std::string_view file, std::string_view parameters, ShowWindow show) override;
};

}  // namespace tvac::platform::win32
