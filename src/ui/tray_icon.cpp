#include "ui/tray_icon.h"

#include <shellapi.h>

#include "agent/agent.h"
#include "platform/win32/codepage.h"

namespace tvac::ui {

void TrayIcon::Add(HWND window, HICON icon, UINT callback, std::string_view tip) {
  window_ = window;
  icon_ = icon;
  callback_ = callback;
  tip_ = platform::win32::Widen(tip);
  taskbar_created_ = RegisterWindowMessageW(L"TaskbarCreated");
  Notify(NIM_ADD);
}

void TrayIcon::Remove() {
  if (window_) Notify(NIM_DELETE);
}

bool TrayIcon::OnMessage(UINT message) {
  if (taskbar_created_ == 0 || message != taskbar_created_) return false;
  Notify(NIM_ADD);
  return true;
}

void TrayIcon::Notify(DWORD action) {
  NOTIFYICONDATAW tray{};
  tray.cbSize = sizeof tray;
  tray.hWnd = window_;
  tray.uID = agent::kTrayIconId;
  if (action == NIM_ADD) {
    tray.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    tray.uCallbackMessage = callback_;
    tray.hIcon = icon_;
    wcsncpy(tray.szTip, tip_.c_str(), ARRAYSIZE(tray.szTip) - 1);
  }
  Shell_NotifyIconW(action, &tray);
}

}  // namespace tvac::ui
