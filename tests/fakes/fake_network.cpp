#include "fakes/fake_network.h"

namespace tvac::fakes {

void FakeNetwork::Serve(std::string url, std::string body, Failure failure) {
  std::lock_guard lock(mutex_);
  answers_[std::move(url)] = {std::move(body), failure, true};
}

void FakeNetwork::ServeUnannounced(std::string url, std::string body) {
  std::lock_guard lock(mutex_);
  answers_[std::move(url)] = {std::move(body), Failure::kNone, false};
}

bool FakeNetwork::Request(std::string_view url) {
  std::lock_guard lock(mutex_);
  requests_.emplace_back(url);
  const auto answer = answers_.find(std::string(url));
  return answer != answers_.end() && answer->second.failure != Failure::kTimedOut &&
         answer->second.failure != Failure::kCutOff;
}

bool FakeNetwork::Download(std::string_view url, std::string_view path, std::uint64_t limit,
                           platform::DownloadProgress* progress) {
  Answer answer;
  {
    std::lock_guard lock(mutex_);
    downloads_.emplace_back(url);
    const auto found = answers_.find(std::string(url));
    if (found == answers_.end() || found->second.failure == Failure::kTimedOut) return false;
    answer = found->second;
  }
  // The transfer goes on outside the lock: another thread may download meanwhile.
  const std::uint64_t size = answer.body.size();
  const std::uint64_t total = answer.announce_size ? size : 0;

  // The body arrives in two halves; a cut-off transfer stops after the first.
  const std::uint64_t half = size / 2;
  if (progress) progress->OnProgress(0, total);
  if (progress) progress->OnProgress(half, total);
  bool ok = answer.failure == Failure::kNone && size > 0 && size <= limit;
  if (answer.failure != Failure::kCutOff) {
    if (progress) progress->OnProgress(size, total);
  }
  if (ok) {
    files_.AddFile(path, answer.body);
  } else {
    files_.RemoveFile(path);
  }
  return ok;
}

}  // namespace tvac::fakes
