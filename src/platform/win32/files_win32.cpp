#include "platform/win32/files_win32.h"

#include <windows.h>

#include <shlobj.h>
#include <userenv.h>

#include "platform/win32/codepage.h"
#include "platform/win32/handles.h"

namespace tvac::platform::win32 {
namespace {

// Files larger than this are not read into memory; no file the program reads comes near.
constexpr std::uint64_t kReadLimit = 512ull << 20;

FileStatus StatusOf(DWORD attributes, DWORD size_high, DWORD size_low) {
  FileStatus status;
  status.folder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  status.read_only = (attributes & FILE_ATTRIBUTE_READONLY) != 0;
  status.reparse_point = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
  status.size = status.folder ? 0 : (std::uint64_t{size_high} << 32) | size_low;
  return status;
}

ErrorCode LastError() {
  return static_cast<ErrorCode>(GetLastError());
}

std::optional<std::string> ShellFolder(int csidl) {
  wchar_t path[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path))) {
    return std::nullopt;
  }
  return Narrow(path);
}

std::optional<std::string> ProfilesFolder() {
  DWORD size = 0;
  GetProfilesDirectoryW(nullptr, &size);
  if (size == 0) return std::nullopt;
  std::wstring path(size, L'\0');
  if (!GetProfilesDirectoryW(path.data(), &size)) return std::nullopt;
  path.resize(wcslen(path.c_str()));
  return Narrow(path);
}

}  // namespace

std::optional<FileStatus> Win32Files::Stat(std::string_view path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(Widen(path).c_str(), GetFileExInfoStandard, &data)) {
    return std::nullopt;
  }
  return StatusOf(data.dwFileAttributes, data.nFileSizeHigh, data.nFileSizeLow);
}

std::optional<std::string> Win32Files::ReadAll(std::string_view path) {
  UniqueHandle file(CreateFileW(Widen(path).c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file.get() == INVALID_HANDLE_VALUE) return std::nullopt;
  LARGE_INTEGER size;
  if (!GetFileSizeEx(file.get(), &size) || static_cast<std::uint64_t>(size.QuadPart) > kReadLimit) {
    return std::nullopt;
  }
  std::string content(static_cast<std::size_t>(size.QuadPart), '\0');
  std::size_t done = 0;
  while (done < content.size()) {
    DWORD got = 0;
    const DWORD want = static_cast<DWORD>(std::min<std::size_t>(content.size() - done, 1u << 30));
    if (!ReadFile(file.get(), content.data() + done, want, &got, nullptr)) return std::nullopt;
    if (got == 0) break;  // the file shrank while we read it
    done += got;
  }
  content.resize(done);
  return content;
}

ErrorCode Win32Files::RemoveFile(std::string_view path) {
  return DeleteFileW(Widen(path).c_str()) ? kOk : LastError();
}

ErrorCode Win32Files::ClearReadOnly(std::string_view path) {
  const std::wstring wide = Widen(path);
  const DWORD attributes = GetFileAttributesW(wide.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return LastError();
  if (!(attributes & FILE_ATTRIBUTE_READONLY)) return kOk;
  return SetFileAttributesW(wide.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY) ? kOk
                                                                                 : LastError();
}

ErrorCode Win32Files::Replace(std::string_view from, std::string_view to) {
  // One rename within the folder: readers see the old file or the new one, never a
  // half; write-through makes it reach the disk before the call returns.
  return MoveFileExW(Widen(from).c_str(), Widen(to).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)
             ? kOk
             : LastError();
}

ErrorCode Win32Files::RemoveFolder(std::string_view path) {
  return RemoveDirectoryW(Widen(path).c_str()) ? kOk : LastError();
}

ErrorCode Win32Files::ListFolder(std::string_view path, std::vector<FolderEntry>& entries) {
  entries.clear();
  WIN32_FIND_DATAW found;
  const std::wstring pattern = Widen(path) + L"\\*";
  UniqueFind search(FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found,
                                     FindExSearchNameMatch, nullptr, 0));
  if (!search) return LastError();
  do {
    const std::wstring_view name = found.cFileName;
    if (name == L"." || name == L"..") continue;
    entries.push_back(
        {Narrow(name), StatusOf(found.dwFileAttributes, found.nFileSizeHigh, found.nFileSizeLow)});
  } while (FindNextFileW(search.get(), &found));
  return kOk;
}

std::optional<std::string> Win32Files::Folder(KnownFolder which) {
  switch (which) {
    case KnownFolder::kWindows:
      return ShellFolder(CSIDL_WINDOWS);
    case KnownFolder::kSystem:
      return ShellFolder(CSIDL_SYSTEM);
    case KnownFolder::kCommonStartMenu:
      return ShellFolder(CSIDL_COMMON_STARTMENU);
    case KnownFolder::kCommonPrograms:
      return ShellFolder(CSIDL_COMMON_PROGRAMS);
    case KnownFolder::kUserPrograms:
      return ShellFolder(CSIDL_PROGRAMS);
    case KnownFolder::kDesktop:
      return ShellFolder(CSIDL_DESKTOPDIRECTORY);
    case KnownFolder::kProgramFiles:
      return ShellFolder(CSIDL_PROGRAM_FILES);
    case KnownFolder::kProgramFilesX86:
      return ShellFolder(CSIDL_PROGRAM_FILESX86);
    case KnownFolder::kProfilesRoot:
      return ProfilesFolder();
    case KnownFolder::kUserProfile:
      return ShellFolder(CSIDL_PROFILE);
  }
  return std::nullopt;
}

std::string Win32Files::ProgramPath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      return Narrow(path);
    }
    path.resize(path.size() * 2);
  }
}

std::string Win32Files::UserName() {
  wchar_t name[257] = {};  // UNLEN + 1
  DWORD size = 257;
  if (!GetUserNameW(name, &size)) return {};
  return Narrow(name);
}

}  // namespace tvac::platform::win32
