#pragma once

#include <cstdint>
#include <string_view>

namespace tvac::platform {

// Told how far a download has come; called on the downloading thread.
class DownloadProgress {
 public:
  virtual ~DownloadProgress() = default;

  // Bytes received so far, and the size the server announced (0 when it named none).
  virtual void OnProgress(std::uint64_t done, std::uint64_t total) = 0;
};

// Plain HTTP with the system's proxy settings. URLs are code page 949 byte strings.
// Every wait (connecting, sending, receiving) is bounded by the implementation's
// time-out, so no call can hold its thread for long on an unreachable server.
class Network {
 public:
  virtual ~Network() = default;

  // The system's connection-state query: true exactly when it reports a connection.
  virtual bool Online() = 0;

  // GETs `url` past every cache, reads at most one line of the answer and throws it
  // away. True when an answer arrived, whatever its status; false for any failure.
  virtual bool Request(std::string_view url) = 0;

  // Forgets the system's cached copy of `url`, if it has one.
  virtual void DropCached(std::string_view url) = 0;

  // Downloads `url` into the file `path`, replacing what is there. True only when the
  // transfer completed with status 200 and delivered at least one and at most `limit`
  // bytes. On false nothing is left at `path`: a partial file is removed.
  virtual bool Download(std::string_view url, std::string_view path, std::uint64_t limit,
                        DownloadProgress* progress) = 0;
};

}  // namespace tvac::platform
