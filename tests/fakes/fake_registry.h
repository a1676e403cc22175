#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/registry.h"

namespace tvac::fakes {

// An in-memory registry with the rules the program relies on: names compare without
// regard to ASCII letter case, values keep their order of creation, subkeys list in
// name order, a key with subkeys cannot be deleted, and writing can be refused per
// key as if its access rights said so. Like the system's, it may be used from several
// threads at once.
class FakeRegistry : public platform::Registry {
 public:
  FakeRegistry();
  ~FakeRegistry() override;

  platform::OpenedKey Open(platform::RootKey root, std::string_view path,
                           platform::KeyAccess access) override;
  platform::OpenedKey Create(platform::RootKey root, std::string_view path,
                             platform::KeyAccess access) override;
  platform::ErrorCode DeleteKey(platform::RootKey root, std::string_view path) override;

  // Test controls and checks.
  void DenyWrite(platform::RootKey root, std::string_view path);  // the key must exist
  void SetRaw(platform::RootKey root, std::string_view path, std::string_view name,
              std::string bytes);  // creates the key
  bool KeyExists(platform::RootKey root, std::string_view path) const;
  std::optional<std::string> RawValue(platform::RootKey root, std::string_view path,
                                      std::string_view name) const;
  std::vector<std::string> SubkeyNames(platform::RootKey root, std::string_view path) const;
  int open_count() const {  // keys open right now
    std::lock_guard lock(mutex_);
    return open_count_;
  }

  struct Node;

 private:
  class Key;
  Node* Find(platform::RootKey root, const std::vector<std::string>& parts) const;

  mutable std::recursive_mutex mutex_;  // over everything below, and every open key's work
  std::map<platform::RootKey, std::unique_ptr<Node>> roots_;
  int open_count_ = 0;
};

}  // namespace tvac::fakes
