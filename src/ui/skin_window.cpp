#include "ui/skin_window.h"

#include <windowsx.h>

namespace tvac::ui {

void PlaceInWorkAreaCentre(HWND window, const Rect& size) {
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  const int x = work.left + (work.right - work.left - size.width()) / 2;
  const int y = work.top + (work.bottom - work.top - size.height()) / 2;
  SetWindowPos(window, nullptr, x, y, size.width(), size.height(), SWP_NOZORDER | SWP_NOACTIVATE);
}

void StartDrag(HWND window) {
  POINT screen;
  GetCursorPos(&screen);
  ReleaseCapture();
  SendMessageW(window, WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(screen.x, screen.y));
}

void ShowPointer(bool over_click_area) {
  SetCursor(LoadCursorW(nullptr, over_click_area ? IDC_HAND : IDC_ARROW));
}

POINT ClientPoint(LPARAM lparam) {
  return {GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};
}

}  // namespace tvac::ui
