// The message window as a user meets it: it shows the stored message at its size,
// ignores Enter and Escape, and closes from its confirm button.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <thread>

#include "app/settings.h"
#include "platform/win32/registry_win32.h"
#include "ui/layout.h"
#include "ui/popup_windows.h"

namespace tvac {
namespace {

HWND FindThreadWindow(DWORD thread) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    HWND found = nullptr;
    EnumThreadWindows(
        thread,
        [](HWND window, LPARAM out) {
          if (!IsWindowVisible(window)) return TRUE;
          *reinterpret_cast<HWND*>(out) = window;
          return FALSE;
        },
        reinterpret_cast<LPARAM>(&found));
    if (found) return found;
    Sleep(50);
  }
  return nullptr;
}

TEST(PopupWindowsWin32Test, MessageWindowClosesOnlyFromItsButton) {
  platform::win32::Win32Registry registry;
  app::Settings settings(registry);
  settings.Write(app::Setting::kMessage, "message under test");

  std::promise<DWORD> thread_id;
  std::thread popup([&] {
    thread_id.set_value(GetCurrentThreadId());
    ui::ShowMessageWindow(settings);
  });
  const HWND window = FindThreadWindow(thread_id.get_future().get());
  if (!window) {
    popup.join();  // the dialog could not be created, so its thread has ended
    FAIL() << "the message window did not open (wine needs an X display)";
  }

  RECT frame;
  GetWindowRect(window, &frame);
  EXPECT_EQ(frame.right - frame.left, ui::kMessageLayout.window.width());
  EXPECT_EQ(frame.bottom - frame.top, ui::kMessageLayout.window.height());

  // Enter and Escape reach a dialog as these two commands.
  SendMessageW(window, WM_COMMAND, IDOK, 0);
  SendMessageW(window, WM_COMMAND, IDCANCEL, 0);
  EXPECT_TRUE(IsWindow(window));

  const ui::Rect& confirm = ui::kMessageLayout.confirm_button;
  PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON,
               MAKELPARAM(confirm.left + confirm.width() / 2, confirm.top + confirm.height() / 2));
  popup.join();
  EXPECT_FALSE(IsWindow(window));
}

}  // namespace
}  // namespace tvac
