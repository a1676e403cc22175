#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "fakes/fake_files.h"
#include "platform/network.h"

namespace tvac::fakes {

// A scripted server. Each URL answers with what the test gave it; any other URL fails
// like an unreachable host. Downloads write into a FakeFiles. Several threads may use
// it at once; the lists of calls are for reading once they are done.
class FakeNetwork : public platform::Network {
 public:
  enum class Failure {
    kNone,
    kNotFound,  // status 404 with an error page
    kCutOff,    // the connection drops half-way through the body
    kTimedOut,  // the server accepts and never answers
  };

  explicit FakeNetwork(FakeFiles& files) : files_(files) {}

  bool Online() override {
    std::lock_guard lock(mutex_);
    return online_;
  }
  bool Request(std::string_view url) override;
  void DropCached(std::string_view url) override {
    std::lock_guard lock(mutex_);
    dropped_.emplace_back(url);
  }
  bool Download(std::string_view url, std::string_view path, std::uint64_t limit,
                platform::DownloadProgress* progress) override;

  void SetOnline(bool online) {
    std::lock_guard lock(mutex_);
    online_ = online;
  }
  void Serve(std::string url, std::string body, Failure failure = Failure::kNone);
  // Answers without naming the size in advance.
  void ServeUnannounced(std::string url, std::string body);

  const std::vector<std::string>& requests() const { return requests_; }    // Request calls
  const std::vector<std::string>& downloads() const { return downloads_; }  // Download calls
  const std::vector<std::string>& dropped() const { return dropped_; }

 private:
  struct Answer {
    std::string body;
    Failure failure = Failure::kNone;
    bool announce_size = true;
  };

  FakeFiles& files_;
  std::mutex mutex_;  // over everything below
  bool online_ = true;
  std::map<std::string, Answer> answers_;
  std::vector<std::string> requests_;
  std::vector<std::string> downloads_;
  std::vector<std::string> dropped_;
};

}  // namespace tvac::fakes
