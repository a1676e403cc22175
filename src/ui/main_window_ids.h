#pragma once

#include <windows.h>

// The main window's title, private messages and timers, shared by its two sources.
namespace tvac::ui::main_window {

constexpr wchar_t kTitle[] = L"Talvo AntiVirus";
constexpr UINT kMsgTrayIcon = 28000;
constexpr UINT kMsgRowsChanged = WM_APP + 1;
constexpr UINT kMsgStartTimer = WM_APP + 2;  // wparam: the timer, lparam: its period
constexpr UINT kMsgScanFace = WM_APP + 3;    // wparam: 1 for the stop face
constexpr UINT kMsgStartUp = WM_APP + 4;     // the window shows: the start-up reports
constexpr UINT kMsgRepaint = WM_APP + 5;     // areas changed while none were pending

enum Timer : UINT_PTR {
  kElapsedTimer = 1,
  kHourlyScanTimer = 2,
  kPopupTimer = 3,
  kDbInfoTimer = 4,
  kRepaintTimer = 5,  // the changes that came too soon after the last paint
};
constexpr UINT kHour = 3'600'000;

}  // namespace tvac::ui::main_window
