#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/error_codes.h"

namespace tvac::platform {

// What the file system says about one path.
struct FileStatus {
  bool folder = false;
  bool read_only = false;
  bool reparse_point = false;  // a junction or a symbolic link
  std::uint64_t size = 0;      // files only
};

struct FolderEntry {
  std::string name;  // bare name, never "." or ".."
  FileStatus status;
};

// Folders the system names for us. Each is reported without a trailing backslash.
enum class KnownFolder {
  kWindows,
  kSystem,
  kCommonStartMenu,
  kCommonPrograms,
  kUserPrograms,
  kDesktop,
  kProgramFiles,
  kProgramFilesX86,
  kProfilesRoot,
  kUserProfile,
};

// Paths are full Windows paths as code page 949 byte strings.
class Files {
 public:
  virtual ~Files() = default;

  // The status of a file or folder; nullopt when nothing is there.
  virtual std::optional<FileStatus> Stat(std::string_view path) = 0;

  // The whole content of a file; nullopt when it is missing or cannot be read.
  virtual std::optional<std::string> ReadAll(std::string_view path) = 0;

  // Deletes a file as it is (a read-only file is refused with kAccessDenied), or a
  // symbolic link to a file.
  virtual ErrorCode RemoveFile(std::string_view path) = 0;

  // Takes the read-only attribute off a file, leaving its other attributes.
  virtual ErrorCode ClearReadOnly(std::string_view path) = 0;

  // Puts the file `from` in place of the file `to` in one step, replacing `to` when it
  // exists. On failure `to` is untouched and `from` stays where it was.
  virtual ErrorCode Replace(std::string_view from, std::string_view to) = 0;

  // Removes an empty folder, or a junction or symbolic link to a folder without
  // touching its target.
  virtual ErrorCode RemoveFolder(std::string_view path) = 0;

  // The entries of a folder, without "." and "..".
  virtual ErrorCode ListFolder(std::string_view path, std::vector<FolderEntry>& entries) = 0;

  // The folder's path, or nullopt when the system has none.
  virtual std::optional<std::string> Folder(KnownFolder which) = 0;

  // The full path of the running executable.
  virtual std::string ProgramPath() = 0;

  // The name of the user who is logged on; empty when it cannot be had.
  virtual std::string UserName() = 0;
};

}  // namespace tvac::platform
