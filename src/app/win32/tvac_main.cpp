// tvac.exe: the agent. One instance per logon shows the main window until it is
// closed; a second start brings the running one to the front and ends.
#include <windows.h>

#include <commctrl.h>

#include "base/settings.h"
#include "platform/win32/registry_win32.h"
#include "ui/main_window.h"

namespace {

// True when another instance runs and was asked to show itself: this one then ends
// before it starts anything of its own (no scan, no update, no requests).
bool HandOverToRunningInstance() {
  // The first instance keeps the lock for its whole life; the system frees it with
  // the process.
  HANDLE lock = CreateMutexW(nullptr, FALSE, L"TVAC");
  if (!lock || GetLastError() != ERROR_ALREADY_EXISTS) return false;
  CloseHandle(lock);
  HWND running = FindWindowW(nullptr, L"Talvo AntiVirus");
  if (!running) return false;  // it is starting or ending: run beside it
  ShowWindow(running, IsIconic(running) ? SW_RESTORE : SW_SHOW);
  SetForegroundWindow(running);
  tvac::platform::win32::Win32Registry registry;
  tvac::base::Settings(registry).WriteFlag(tvac::base::Setting::kTray, false);
  return true;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  if (HandOverToRunningInstance()) return 0;

  // The window outlives its message loop: a worker that is still finishing may use
  // it until the process ends, which does not wait for workers.
  auto* window = new tvac::ui::MainWindow();
  window->Run();
  return 0;
}
