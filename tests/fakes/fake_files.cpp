#include "fakes/fake_files.h"

#include "platform/path.h"
#include "platform/text.h"

namespace tvac::fakes {

using platform::ErrorCode;
using platform::KnownFolder;

FakeFiles::FakeFiles() {
  folders_ = {
      {KnownFolder::kWindows, "C:\\Windows"},
      {KnownFolder::kSystem, "C:\\Windows\\System32"},
      {KnownFolder::kCommonStartMenu, "C:\\ProgramData\\Microsoft\\Windows\\Start Menu"},
      {KnownFolder::kCommonPrograms, "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs"},
      {KnownFolder::kUserPrograms,
       "C:\\Users\\tester\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs"},
      {KnownFolder::kDesktop, "C:\\Users\\tester\\Desktop"},
      {KnownFolder::kProgramFiles, "C:\\Program Files"},
      {KnownFolder::kProgramFilesX86, "C:\\Program Files (x86)"},
      {KnownFolder::kProfilesRoot, "C:\\Users"},
      {KnownFolder::kUserProfile, "C:\\Users\\tester"},
  };
  for (const auto& [which, path] : folders_) AddFolder(path);
}

std::string FakeFiles::KeyOfLinkItself(std::string_view path) const {
  const std::optional<std::string> normalized = platform::NormalizeFullPath(path);
  return normalized ? platform::AsciiUpper(*normalized) : std::string();
}

std::string FakeFiles::Key(std::string_view path) const {
  std::string key = KeyOfLinkItself(path);
  // Follow links in the folders above the path, never the last part itself.
  for (bool changed = true; changed;) {
    changed = false;
    for (std::string_view parent = platform::ParentPath(key); !parent.empty();
         parent = platform::ParentPath(parent)) {
      const auto node = nodes_.find(std::string(parent));
      if (node != nodes_.end() && !node->second.link_target.empty()) {
        key = node->second.link_target + key.substr(parent.size());
        changed = true;
        break;
      }
    }
  }
  return key;
}

bool FakeFiles::HasChildren(const std::string& key) const {
  const std::string prefix = key.back() == '\\' ? key : key + "\\";
  const auto next = nodes_.lower_bound(prefix);
  return next != nodes_.end() && next->first.compare(0, prefix.size(), prefix) == 0;
}

std::optional<platform::FileStatus> FakeFiles::Stat(std::string_view path) {
  std::lock_guard lock(mutex_);
  const std::optional<std::string> normalized = platform::NormalizeFullPath(path);
  if (normalized && platform::IsRootPath(*normalized)) return platform::FileStatus{.folder = true};
  const auto node = nodes_.find(Key(path));
  if (node == nodes_.end()) return std::nullopt;
  return node->second.status;
}

std::optional<std::string> FakeFiles::ReadAll(std::string_view path) {
  std::lock_guard lock(mutex_);
  const auto node = nodes_.find(Key(path));
  if (node == nodes_.end() || node->second.status.folder) return std::nullopt;
  return node->second.content;
}

ErrorCode FakeFiles::RemoveFile(std::string_view path) {
  std::lock_guard lock(mutex_);
  const auto node = nodes_.find(Key(path));
  if (node == nodes_.end()) return platform::kFileNotFound;
  if (node->second.status.folder || node->second.status.read_only) return platform::kAccessDenied;
  if (node->second.locked) return platform::kSharingViolation;
  nodes_.erase(node);
  ++removals_;
  return platform::kOk;
}

ErrorCode FakeFiles::ClearReadOnly(std::string_view path) {
  std::lock_guard lock(mutex_);
  const auto node = nodes_.find(Key(path));
  if (node == nodes_.end()) return platform::kFileNotFound;
  node->second.status.read_only = false;
  return platform::kOk;
}

void FakeFiles::LockFile(std::string_view path, bool locked) {
  std::lock_guard lock(mutex_);
  const auto node = nodes_.find(Key(path));
  if (node != nodes_.end()) node->second.locked = locked;
}

ErrorCode FakeFiles::Replace(std::string_view from, std::string_view to) {
  std::lock_guard lock(mutex_);
  const auto source = nodes_.find(Key(from));
  if (source == nodes_.end()) return platform::kFileNotFound;
  if (source->second.status.folder || fail_replace_) return platform::kAccessDenied;
  const auto target = nodes_.find(Key(to));
  if (target != nodes_.end() && (target->second.status.folder || target->second.status.read_only)) {
    return platform::kAccessDenied;
  }
  Node moved = std::move(source->second);
  nodes_.erase(source);
  moved.path = *platform::NormalizeFullPath(to);
  nodes_[Key(to)] = std::move(moved);
  return platform::kOk;
}

ErrorCode FakeFiles::RemoveFolder(std::string_view path) {
  std::lock_guard lock(mutex_);
  const std::string key = Key(path);
  const auto node = nodes_.find(key);
  if (node == nodes_.end()) return platform::kFileNotFound;
  if (!node->second.status.folder) return platform::kInvalidParameter;
  if (node->second.link_target.empty() && HasChildren(key)) return platform::kDirNotEmpty;
  nodes_.erase(node);
  ++removals_;
  return platform::kOk;
}

ErrorCode FakeFiles::ListFolder(std::string_view path,
                                std::vector<platform::FolderEntry>& entries) {
  std::lock_guard lock(mutex_);
  std::string key = Key(path);
  const auto node = nodes_.find(key);
  if (node == nodes_.end() || !node->second.status.folder) return platform::kPathNotFound;
  if (!node->second.link_target.empty()) key = node->second.link_target;
  entries.clear();
  const std::string prefix = key + "\\";
  for (auto it = nodes_.lower_bound(prefix);
       it != nodes_.end() && it->first.compare(0, prefix.size(), prefix) == 0; ++it) {
    if (it->first.find('\\', prefix.size()) != std::string::npos) continue;  // deeper
    entries.push_back({std::string(platform::FileNameOf(it->second.path)), it->second.status});
  }
  return platform::kOk;
}

std::optional<std::string> FakeFiles::Folder(KnownFolder which) {
  std::lock_guard lock(mutex_);
  const auto found = folders_.find(which);
  if (found == folders_.end()) return std::nullopt;
  return found->second;
}

void FakeFiles::AddFolder(std::string_view path) {
  std::lock_guard lock(mutex_);
  const std::string normalized = *platform::NormalizeFullPath(path);
  if (platform::IsRootPath(normalized)) return;
  AddFolder(platform::ParentPath(normalized));
  Node& node = nodes_[Key(normalized)];
  node.path = normalized;
  node.status.folder = true;
}

void FakeFiles::AddFile(std::string_view path, std::string content, bool read_only) {
  std::lock_guard lock(mutex_);
  const std::string normalized = *platform::NormalizeFullPath(path);
  AddFolder(platform::ParentPath(normalized));
  Node& node = nodes_[Key(normalized)];
  node.path = normalized;
  node.status = {
      .folder = false, .read_only = read_only, .reparse_point = false, .size = content.size()};
  node.content = std::move(content);
}

void FakeFiles::AddFileOfSize(std::string_view path, std::uint64_t size) {
  std::lock_guard lock(mutex_);
  AddFile(path);
  nodes_[Key(path)].status.size = size;
}

void FakeFiles::AddFolderLink(std::string_view path, std::string_view target) {
  std::lock_guard lock(mutex_);
  const std::string normalized = *platform::NormalizeFullPath(path);
  AddFolder(platform::ParentPath(normalized));
  Node& node = nodes_[Key(normalized)];
  node.path = normalized;
  node.status = {.folder = true, .read_only = false, .reparse_point = true, .size = 0};
  node.link_target = Key(target);
}

void FakeFiles::SetFolder(KnownFolder which, std::optional<std::string> path) {
  std::lock_guard lock(mutex_);
  if (path) {
    folders_[which] = *path;
  } else {
    folders_.erase(which);
  }
}

}  // namespace tvac::fakes
