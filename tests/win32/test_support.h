#pragma once

#include <windows.h>

#include <string>

#include "platform/win32/codepage.h"

namespace tvac::testing_win32 {

// A fresh folder under the temporary folder, named after the test and this process.
inline std::string ScratchFolder(const char* name) {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  std::string folder =
      platform::win32::Narrow(temp) + "tvac-" + name + "-" + std::to_string(GetCurrentProcessId());
  CreateDirectoryW(platform::win32::Widen(folder).c_str(), nullptr);
  return folder;
}

inline void WriteFileBytes(const std::string& path, const std::string& bytes) {
  HANDLE file = CreateFileW(platform::win32::Widen(path).c_str(), GENERIC_WRITE, 0, nullptr,
                            CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
}

inline bool PathExists(const std::string& path) {
  return GetFileAttributesW(platform::win32::Widen(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace tvac::testing_win32
