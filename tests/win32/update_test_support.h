#pragma once

// What the update path's Win32 tests share: the environment their wrapper scripts
// set, and the windows and shell the update core talks to, recorded.
#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

#include "agent/startup.h"
#include "platform/processes.h"
#include "platform/win32/codepage.h"
#include "update/update_check.h"
#include "update/update_worker.h"

namespace tvac::testing_win32 {

inline std::string Environment(const wchar_t* name) {
  wchar_t value[1024];
  const DWORD length = GetEnvironmentVariableW(name, value, 1024);
  return length > 0 && length < 1024 ? platform::win32::Narrow(std::wstring_view(value, length))
                                     : std::string();
}

struct RecordingShell : platform::Shell {
  bool Open(std::string_view file, std::string_view, platform::ShowWindow show) override {
    opened.emplace_back(file);
    shown = show == platform::ShowWindow::kShown;
    return true;
  }
  std::vector<std::string> opened;
  bool shown = false;
};

struct RecordingWindows : update::UpdateCheckUi, update::UpdateDialogPort, agent::StartupHost {
  void OpenUpdateDialog() override { calls.push_back("open dialog"); }
  void ShowMessage() override { calls.push_back("message"); }
  void PlayWave(std::string_view) override { calls.push_back("sound"); }
  void StartScan() override { calls.push_back("scan"); }
  void SetProgress(int percent) override { last_percent = percent; }
  void CloseDialog() override { calls.push_back("close"); }
  void ReloadDbInfoSoon() override { calls.push_back("reload"); }
  std::vector<std::string> calls;
  int last_percent = -1;
};

}  // namespace tvac::testing_win32
