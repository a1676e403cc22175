#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace tvac::ui {

// The program's icon in the notification area. It is added once and removed at the
// end; when Explorer starts again with an empty notification area it is added anew.
class TrayIcon {
 public:
  // The icon sends `callback` to `window` with the icon's id and the mouse message.
  void Add(HWND window, HICON icon, UINT callback, std::string_view tip);
  void Remove();
  // True when `message` was Explorer's "TaskbarCreated"; the icon is back then.
  bool OnMessage(UINT message);

 private:
  void Notify(DWORD action);

  HWND window_ = nullptr;
  HICON icon_ = nullptr;
  UINT callback_ = 0;
  std::wstring tip_;
  UINT taskbar_created_ = 0;
};

}  // namespace tvac::ui
