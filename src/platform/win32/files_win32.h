#pragma once

#include "platform/files.h"

namespace tvac::platform::win32 {

class Win32Files : public Files {
 public:
  std::optional<FileStatus> Stat(std::string_view path) override;
  std::optional<std::string> ReadAll(std::string_view path) override;
  ErrorCode RemoveFile(std::string_view path) override;
  ErrorCode ClearReadOnly(std::string_view path) override;
  ErrorCode Replace(std::string_view from, std::string_view to) override;
  ErrorCode RemoveFolder(std::string_view path) override;
  ErrorCode ListFolder(std::string_view path, std::vector<FolderEntry>& entries) override;
  std::optional<std::string> Folder(KnownFolder which) override;
  std::string ProgramPath() override;
  std::string UserName() override;
};

}  // namespace tvac::platform::win32
