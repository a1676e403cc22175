#include "platform/win32/processes_win32.h"

#include <windows.h>

#include <shellapi.h>
#include <tlhelp32.h>

#include "platform/win32/codepage.h"
#include "platform/win32/handles.h"

namespace tvac::platform::win32 {
namespace {

std::string ExecutablePath(DWORD id) {
  UniqueHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id));
  if (!process) return {};
  std::wstring path(32768, L'\0');
  DWORD length = static_cast<DWORD>(path.size());
  if (!QueryFullProcessImageNameW(process.get(), 0, path.data(), &length)) return {};
  path.resize(length);
  return Narrow(path);
}

}  // namespace

std::optional<std::vector<ProcessInfo>> Win32Processes::List() {
  UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot || snapshot.get() == INVALID_HANDLE_VALUE) return std::nullopt;
  std::vector<ProcessInfo> processes;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Process32FirstW(snapshot.get(), &entry); more;
       more = Process32NextW(snapshot.get(), &entry)) {
    processes.push_back(
        {entry.th32ProcessID, Narrow(entry.szExeFile), ExecutablePath(entry.th32ProcessID)});
  }
  return processes;
}

bool Win32Processes::Terminate(std::uint32_t id) {
  UniqueHandle process(
      OpenProcess(PROCESS_TERMINATE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id));
  if (!process) return false;
  // The process leaves with the code it would report now (STILL_ACTIVE while it runs).
  DWORD exit_code = 0;
  GetExitCodeProcess(process.get(), &exit_code);
  return TerminateProcess(process.get(), exit_code) != FALSE;
}

std::uint32_t Win32Processes::CurrentProcessId() {
  return GetCurrentProcessId();
}

bool Win32Shell::Open(std::string_view file, std::string_view parameters, ShowWindow show) {
  const std::wstring wide_file = Widen(file);
  const std::wstring wide_parameters = Widen(parameters);
  const HINSTANCE result =
      ShellExecuteW(nullptr, L"open", wide_file.c_str(),
                    wide_parameters.empty() ? nullptr : wide_parameters.c_str(), nullptr,
                    show == ShowWindow::kHidden ? SW_HIDE : SW_SHOWNORMAL);
  return reinterpret_cast<INT_PTR>(result) > 32;
}

}  // namespace tvac::platform::win32
