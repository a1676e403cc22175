#pragma once

#include <map>
#include <mutex>
#include <optional>
#include <string>

#include "platform/files.h"

namespace tvac::fakes {

// An in-memory file system of full Windows paths, letter case ignored. It knows
// files, folders, read-only files and folder links (a link lists its target's
// entries, as a junction does, so a walk that follows it reaches the target). Like
// the system's, it may be used from several threads at once.
class FakeFiles : public platform::Files {
 public:
  FakeFiles();

  std::optional<platform::FileStatus> Stat(std::string_view path) override;
  std::optional<std::string> ReadAll(std::string_view path) override;
  platform::ErrorCode RemoveFile(std::string_view path) override;
  platform::ErrorCode ClearReadOnly(std::string_view path) override;
  platform::ErrorCode Replace(std::string_view from, std::string_view to) override;
  platform::ErrorCode RemoveFolder(std::string_view path) override;
  platform::ErrorCode ListFolder(std::string_view path,
                                 std::vector<platform::FolderEntry>& entries) override;
  std::optional<std::string> Folder(platform::KnownFolder which) override;
  std::string ProgramPath() override { return program_path_; }
  std::string UserName() override { return user_name_; }

  // Test set-up; each creates the folders above the path.
  void AddFolder(std::string_view path);
  void AddFile(std::string_view path, std::string content = {}, bool read_only = false);
  void AddFileOfSize(std::string_view path, std::uint64_t size);  // no content
  void AddFolderLink(std::string_view path, std::string_view target);
  void SetFolder(platform::KnownFolder which, std::optional<std::string> path);
  void SetProgramPath(std::string path) { program_path_ = std::move(path); }
  void SetUserName(std::string name) { user_name_ = std::move(name); }

  // A file held open by another program: it cannot be removed until unlocked.
  void LockFile(std::string_view path, bool locked = true);

  // Makes every Replace fail with kAccessDenied, as a file held open by another program.
  void FailReplace(bool fail) { fail_replace_ = fail; }

  bool Exists(std::string_view path) { return Stat(path).has_value(); }
  int removals() const {  // successful deletions so far
    std::lock_guard lock(mutex_);
    return removals_;
  }

 private:
  struct Node {
    std::string path;  // as created
    platform::FileStatus status;
    std::string content;
    std::string link_target;  // folder links only (normalized key)
    bool locked = false;
  };
  std::string Key(std::string_view path) const;  // resolves links on the way
  std::string KeyOfLinkItself(std::string_view path) const;
  bool HasChildren(const std::string& key) const;

  mutable std::recursive_mutex mutex_;  // over everything below
  std::map<std::string, Node> nodes_;   // by upper-case normalized path
  std::map<platform::KnownFolder, std::string> folders_;
  std::string program_path_ = "C:\\Program Files\\Talvo\\tvac.exe";
  std::string user_name_ = "tester";
  int removals_ = 0;
  bool fail_replace_ = false;
};

}  // namespace tvac::fakes
