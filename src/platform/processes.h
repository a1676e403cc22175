#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tvac::platform {

struct ProcessInfo {
  std::uint32_t id = 0;
  std::string image_name;  // the executable's file name, as the system lists it
  std::string path;        // its full path; empty when the process cannot be asked
};

class Processes {
 public:
  virtual ~Processes() = default;

  // The running processes; nullopt when the system cannot list them.
  virtual std::optional<std::vector<ProcessInfo>> List() = 0;

  // Ends a process without waiting for it; true when the system accepted the request.
  virtual bool Terminate(std::uint32_t id) = 0;

  virtual std::uint32_t CurrentProcessId() = 0;
};

enum class ShowWindow { kHidden, kShown };

class Shell {
 public:
  virtual ~Shell() = default;

  // Opens a program or document the way Explorer would, with `parameters` as its
  // command line. Returns at once; true when it was started.
  virtual bool Open(std::string_view file, std::string_view parameters, ShowWindow show) = 0;
};

}  // namespace tvac::platform
