#include "remedy/system_ops.h"

#include <algorithm>
#include <vector>

#include "platform/path.h"
#include "platform/text.h"

namespace tvac::remedy {
namespace {

using platform::kAccessDenied;
using platform::KeyAccess;
using platform::kNoMoreItems;
using platform::kOk;

constexpr std::size_t kKeyNameCapacity = 260;

// Number of non-empty parts of a key path.
std::size_t KeyDepth(std::string_view path) {
  std::size_t depth = 0;
  bool in_part = false;
  for (char c : path) {
    if (c == '\\') {
      in_part = false;
    } else if (!in_part) {
      in_part = true;
      ++depth;
    }
  }
  return depth;
}

ErrorCode DeleteSubkeysBelow(platform::Registry& registry, RootKey root, const std::string& path) {
  platform::OpenedKey opened = registry.Open(root, path, KeyAccess::kAll);
  if (opened.error != kOk) return opened.error;
  std::string child_name;
  // Each pass removes the subkey it found, so the listing always restarts at 0.
  // A child that cannot be removed ends the operation with its error, so the loop
  // never meets the same child twice.
  for (;;) {
    const ErrorCode listed = opened.key->EnumSubkeyName(0, kKeyNameCapacity, child_name);
    if (listed == kNoMoreItems) return kOk;
    if (listed != kOk) return listed;
    const std::string child = path + "\\" + child_name;
    if (const ErrorCode below = DeleteSubkeysBelow(registry, root, child); below != kOk) {
      return below;
    }
    if (const ErrorCode removed = registry.DeleteKey(root, child); removed != kOk) return removed;
  }
}

bool MustNotEnd(const platform::ProcessInfo& process, std::uint32_t own_id) {
  return process.id == own_id || process.id == 0;
}

// The folders that must never be deleted, nor anything that holds them.
bool IsProtectedFolder(platform::Files& files, const std::string& folder) {
  using platform::KnownFolder;
  if (platform::IsRootPath(folder)) return true;
  for (KnownFolder which :
       {KnownFolder::kWindows, KnownFolder::kSystem, KnownFolder::kProgramFiles,
        KnownFolder::kProgramFilesX86, KnownFolder::kProfilesRoot, KnownFolder::kUserProfile}) {
    const std::optional<std::string> known = files.Folder(which);
    if (!known) continue;
    const std::optional<std::string> normalized = platform::NormalizeFullPath(*known);
    if (normalized && platform::IsSameOrAncestor(folder, *normalized)) return true;
  }
  // Every folder directly in the profiles folder is somebody's profile.
  if (const std::optional<std::string> profiles = files.Folder(KnownFolder::kProfilesRoot)) {
    const std::optional<std::string> normalized = platform::NormalizeFullPath(*profiles);
    if (normalized &&
        platform::EqualsIgnoringAsciiCase(platform::ParentPath(folder), *normalized)) {
      return true;
    }
  }
  return false;
}

void DeleteTree(platform::Files& files, const std::string& folder) {
  std::vector<platform::FolderEntry> entries;
  files.ListFolder(folder, entries);
  for (const platform::FolderEntry& entry : entries) {
    const std::string full = folder + "\\" + entry.name;
    if (entry.status.folder && !entry.status.reparse_point) {
      DeleteTree(files, full);
    } else if (entry.status.folder) {
      files.RemoveFolder(full);  // the link goes, its target stays
    } else {
      // A read-only mark keeps nothing from the cure.
      if (entry.status.read_only) files.ClearReadOnly(full);
      files.RemoveFile(full);
    }
  }
  files.RemoveFolder(folder);
}

}  // namespace

ErrorCode DeleteRegistrySubkeys(platform::Registry& registry, RootKey root, std::string_view path) {
  if (KeyDepth(path) < 2) return kAccessDenied;
  return DeleteSubkeysBelow(registry, root, std::string(path));
}

ErrorCode DeleteRegistryKey(platform::Registry& registry, RootKey root, std::string_view path,
                            bool delete_key_itself) {
  if (const ErrorCode below = DeleteRegistrySubkeys(registry, root, path); below != kOk) {
    return below;
  }
  if (!delete_key_itself) return kOk;
  return registry.DeleteKey(root, path);
}

bool TerminateProcessByName(platform::Processes& processes, std::string image_name) {
  const std::string target = platform::AsciiUpper(image_name);
  const auto listed = processes.List();
  if (!listed || target.empty()) return false;
  const std::uint32_t own_id = processes.CurrentProcessId();
  const auto match = std::find_if(listed->begin(), listed->end(), [&](const auto& process) {
    return !MustNotEnd(process, own_id) && platform::AsciiUpper(process.image_name) == target;
  });
  return match != listed->end() && processes.Terminate(match->id);
}

bool TerminateProcessByPath(platform::Processes& processes, std::string_view path) {
  const std::optional<std::string> target = platform::NormalizeFullPath(path);
  const auto listed = processes.List();
  if (!target || !listed) return false;
  const std::uint32_t own_id = processes.CurrentProcessId();
  bool ended = false;
  for (const platform::ProcessInfo& process : *listed) {
    if (MustNotEnd(process, own_id) || process.path.empty()) continue;
    const std::optional<std::string> running = platform::NormalizeFullPath(process.path);
    if (running && platform::EqualsIgnoringAsciiCase(*running, *target)) {
      ended = processes.Terminate(process.id) || ended;
    }
  }
  return ended;
}

bool UnregisterModule(platform::Files& files, platform::Shell& shell, std::string_view path) {
  const std::optional<std::string> system = files.Folder(platform::KnownFolder::kSystem);
  if (!system) return false;
  const std::string parameters = "/u /s \"" + std::string(path) + "\"";
  return shell.Open(*system + "\\regsvr32.exe", parameters, platform::ShowWindow::kHidden);
}

bool DeleteFolderTree(platform::Files& files, std::string_view path) {
  const std::optional<std::string> folder = platform::NormalizeFullPath(path);
  if (!folder) return false;
  if (IsProtectedFolder(files, *folder)) return false;
  const std::optional<platform::FileStatus> status = files.Stat(*folder);
  if (!status) return true;
  if (!status->folder) return false;
  if (status->reparse_point) {
    files.RemoveFolder(*folder);
  } else {
    DeleteTree(files, *folder);
  }
  return !files.Stat(*folder);
}

}  // namespace tvac::remedy
