// The message and detail windows as a user meets them: they open at their size,
// ignore Enter and Escape, and close from their confirm button.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <thread>

#include "base/settings.h"
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

struct PopupCase {
  const char* name;
  const ui::PopupLayout* layout;
  void (*show)(const base::Settings&);
};

class PopupWindowsWin32Test : public ::testing::TestWithParam<PopupCase> {};

TEST_P(PopupWindowsWin32Test, ClosesOnlyFromItsButton) {
  platform::win32::Win32Registry registry;
  base::Settings settings(registry);
  settings.Write(base::Setting::kMessage, "message under test");
  const PopupCase& popup_case = GetParam();

  std::promise<DWORD> thread_id;
  std::thread popup([&] {
    thread_id.set_value(GetCurrentThreadId());
    popup_case.show(settings);
  });
  const HWND window = FindThreadWindow(thread_id.get_future().get());
  if (!window) {
    popup.join();  // the dialog could not be created, so its thread has ended
    FAIL() << "the window did not open (wine needs an X display)";
  }

  RECT frame;
  GetWindowRect(window, &frame);
  EXPECT_EQ(frame.right - frame.left, popup_case.layout->window.width());
  EXPECT_EQ(frame.bottom - frame.top, popup_case.layout->window.height());

  // Enter and Escape reach a dialog as these two commands.
  SendMessageW(window, WM_COMMAND, IDOK, 0);
  SendMessageW(window, WM_COMMAND, IDCANCEL, 0);
  EXPECT_TRUE(IsWindow(window));

  const ui::Rect& confirm = popup_case.layout->confirm_button;
  PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON,
               MAKELPARAM(confirm.left + confirm.width() / 2, confirm.top + confirm.height() / 2));
  popup.join();
  EXPECT_FALSE(IsWindow(window));
}

void ShowDetailOfARow(const base::Settings&) {
  ui::ShowDetailDialog({"name", "C:\\location", "kind"});
}

const PopupCase kPopups[] = {
    {"MessageWindow", &ui::kMessageLayout, ui::ShowMessageWindow},
    {"DetailDialog", &ui::kDetailLayout, ShowDetailOfARow},
};
INSTANTIATE_TEST_SUITE_P(Popups, PopupWindowsWin32Test, ::testing::ValuesIn(kPopups),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tvac
