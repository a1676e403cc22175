#pragma once

#include <chrono>

#include "platform/clock.h"
#include "platform/network.h"

namespace tvac::platform::win32 {

// WinINet for the requests, URLDownloadToFileW for the downloads. `timeout` bounds
// each wait: connecting, sending, and every stretch without data while receiving.
class Win32Network : public Network {
 public:
  explicit Win32Network(std::chrono::milliseconds timeout = std::chrono::seconds(10))
      : timeout_(timeout) {}

  bool Online() override;
  bool Request(std::string_view url) override;
  void DropCached(std::string_view url) override;
  bool Download(std::string_view url, std::string_view path, std::uint64_t limit,
                DownloadProgress* progress) override;

 private:
  std::chrono::milliseconds timeout_;
};

class Win32Clock : public Clock {
 public:
  LocalDate Today() override;
  void Wait(std::chrono::milliseconds duration) override;
};

}  // namespace tvac::platform::win32
