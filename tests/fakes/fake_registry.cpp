#include "fakes/fake_registry.h"

#include <algorithm>

#include "platform/text.h"

namespace tvac::fakes {

using platform::ErrorCode;
using platform::KeyAccess;
using platform::OpenedKey;
using platform::RootKey;

struct FakeRegistry::Node {
  std::string name;
  bool deny_write = false;
  std::map<std::string, std::unique_ptr<Node>> children;    // by upper-case name
  std::vector<std::pair<std::string, std::string>> values;  // name, stored bytes

  auto FindValue(std::string_view value_name) {
    return std::find_if(values.begin(), values.end(), [&](const auto& v) {
      return platform::EqualsIgnoringAsciiCase(v.first, value_name);
    });
  }
};

namespace {

std::vector<std::string> SplitPath(std::string_view path) {
  std::vector<std::string> parts;
  while (!path.empty()) {
    const std::size_t sep = path.find('\\');
    const std::string_view part = path.substr(0, sep);
    if (!part.empty()) parts.push_back(std::string(part));
    path.remove_prefix(sep == std::string_view::npos ? path.size() : sep + 1);
  }
  return parts;
}

bool Writes(KeyAccess access) {
  return access != KeyAccess::kRead;
}

ErrorCode NameInto(const std::string& found, std::size_t capacity, std::string& name) {
  if (found.size() + 1 > capacity) return platform::kMoreData;
  name = found;
  return platform::kOk;
}

}  // namespace

// A handle: it finds its node by path on every call, so a key deleted behind an
// open handle answers ERROR_KEY_DELETED as Windows does.
class FakeRegistry::Key : public platform::RegistryKey {
 public:
  Key(FakeRegistry& owner, RootKey root, std::vector<std::string> parts, KeyAccess access)
      : owner_(owner), root_(root), parts_(std::move(parts)), access_(access) {
    std::lock_guard lock(owner_.mutex_);
    ++owner_.open_count_;
  }
  ~Key() override {
    std::lock_guard lock(owner_.mutex_);
    --owner_.open_count_;
  }

  ErrorCode QueryValue(std::string_view name, std::size_t buffer_size, std::string& data) override {
    std::lock_guard lock(owner_.mutex_);
    Node* node = owner_.Find(root_, parts_);
    if (!node) return platform::kKeyDeleted;
    const auto value = node->FindValue(name);
    if (value == node->values.end()) return platform::kFileNotFound;
    if (value->second.size() > buffer_size) return platform::kMoreData;
    data = value->second;
    return platform::kOk;
  }

  ErrorCode SetString(std::string_view name, std::string_view text) override {
    std::lock_guard lock(owner_.mutex_);
    Node* node = owner_.Find(root_, parts_);
    if (!node) return platform::kKeyDeleted;
    if (!Writes(access_)) return platform::kAccessDenied;
    std::string bytes(text);
    bytes.push_back('\0');
    const auto value = node->FindValue(name);
    if (value != node->values.end()) {
      value->second = std::move(bytes);
    } else {
      node->values.emplace_back(std::string(name), std::move(bytes));
    }
    return platform::kOk;
  }

  ErrorCode EnumValueName(std::uint32_t index, std::size_t capacity, std::string& name) override {
    std::lock_guard lock(owner_.mutex_);
    Node* node = owner_.Find(root_, parts_);
    if (!node) return platform::kKeyDeleted;
    if (index >= node->values.size()) return platform::kNoMoreItems;
    return NameInto(node->values[index].first, capacity, name);
  }

  ErrorCode EnumSubkeyName(std::uint32_t index, std::size_t capacity, std::string& name) override {
    std::lock_guard lock(owner_.mutex_);
    Node* node = owner_.Find(root_, parts_);
    if (!node) return platform::kKeyDeleted;
    if (index >= node->children.size()) return platform::kNoMoreItems;
    return NameInto(std::next(node->children.begin(), index)->second->name, capacity, name);
  }

  ErrorCode DeleteValue(std::string_view name) override {
    std::lock_guard lock(owner_.mutex_);
    Node* node = owner_.Find(root_, parts_);
    if (!node) return platform::kKeyDeleted;
    if (!Writes(access_)) return platform::kAccessDenied;
    const auto value = node->FindValue(name);
    if (value == node->values.end()) return platform::kFileNotFound;
    node->values.erase(value);
    return platform::kOk;
  }

 private:
  FakeRegistry& owner_;
  RootKey root_;
  std::vector<std::string> parts_;
  KeyAccess access_;
};

FakeRegistry::FakeRegistry() {
  for (RootKey root :
       {RootKey::kClassesRoot, RootKey::kCurrentUser, RootKey::kLocalMachine, RootKey::kUsers}) {
    roots_[root] = std::make_unique<Node>();
  }
}

FakeRegistry::~FakeRegistry() = default;

FakeRegistry::Node* FakeRegistry::Find(RootKey root, const std::vector<std::string>& parts) const {
  Node* node = roots_.at(root).get();
  for (const std::string& part : parts) {
    const auto child = node->children.find(platform::AsciiUpper(part));
    if (child == node->children.end()) return nullptr;
    node = child->second.get();
  }
  return node;
}

OpenedKey FakeRegistry::Open(RootKey root, std::string_view path, KeyAccess access) {
  std::lock_guard lock(mutex_);
  std::vector<std::string> parts = SplitPath(path);
  Node* node = Find(root, parts);
  if (!node) return {platform::kFileNotFound, nullptr};
  if (node->deny_write && Writes(access)) return {platform::kAccessDenied, nullptr};
  return {platform::kOk, std::make_unique<Key>(*this, root, std::move(parts), access)};
}

OpenedKey FakeRegistry::Create(RootKey root, std::string_view path, KeyAccess access) {
  std::lock_guard lock(mutex_);
  std::vector<std::string> parts = SplitPath(path);
  Node* node = roots_.at(root).get();
  for (const std::string& part : parts) {
    auto& child = node->children[platform::AsciiUpper(part)];
    if (!child) {
      if (node->deny_write) {
        node->children.erase(platform::AsciiUpper(part));
        return {platform::kAccessDenied, nullptr};
      }
      child = std::make_unique<Node>();
      child->name = part;
    }
    node = child.get();
  }
  if (node->deny_write && Writes(access)) return {platform::kAccessDenied, nullptr};
  return {platform::kOk, std::make_unique<Key>(*this, root, std::move(parts), access)};
}

ErrorCode FakeRegistry::DeleteKey(RootKey root, std::string_view path) {
  std::lock_guard lock(mutex_);
  std::vector<std::string> parts = SplitPath(path);
  if (parts.empty()) return platform::kAccessDenied;
  const std::string last = platform::AsciiUpper(parts.back());
  parts.pop_back();
  Node* parent = Find(root, parts);
  if (!parent) return platform::kFileNotFound;
  const auto child = parent->children.find(last);
  if (child == parent->children.end()) return platform::kFileNotFound;
  if (child->second->deny_write || !child->second->children.empty()) {
    return platform::kAccessDenied;
  }
  parent->children.erase(child);
  return platform::kOk;
}

void FakeRegistry::DenyWrite(RootKey root, std::string_view path) {
  std::lock_guard lock(mutex_);
  Find(root, SplitPath(path))->deny_write = true;
}

void FakeRegistry::SetRaw(RootKey root, std::string_view path, std::string_view name,
                          std::string bytes) {
  std::lock_guard lock(mutex_);
  Create(root, path, KeyAccess::kRead);
  Node* node = Find(root, SplitPath(path));
  const auto value = node->FindValue(name);
  if (value != node->values.end()) {
    value->second = std::move(bytes);
  } else {
    node->values.emplace_back(std::string(name), std::move(bytes));
  }
}

bool FakeRegistry::KeyExists(RootKey root, std::string_view path) const {
  std::lock_guard lock(mutex_);
  return Find(root, SplitPath(path)) != nullptr;
}

std::optional<std::string> FakeRegistry::RawValue(RootKey root, std::string_view path,
                                                  std::string_view name) const {
  std::lock_guard lock(mutex_);
  Node* node = Find(root, SplitPath(path));
  if (!node) return std::nullopt;
  const auto value = node->FindValue(name);
  if (value == node->values.end()) return std::nullopt;
  return value->second;
}

std::vector<std::string> FakeRegistry::SubkeyNames(RootKey root, std::string_view path) const {
  std::lock_guard lock(mutex_);
  std::vector<std::string> names;
  if (Node* node = Find(root, SplitPath(path))) {
    for (const auto& [folded, child] : node->children) names.push_back(child->name);
  }
  return names;
}

}  // namespace tvac::fakes
