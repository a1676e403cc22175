#include "ui/menus.h"

#include "platform/win32/codepage.h"

namespace tvac::ui {

using platform::win32::Widen;

void TrackMenu(HWND owner, int menu_id, const std::vector<agent::MenuItemState>& items) {
  HMENU menu = LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(menu_id));
  if (!menu) return;
  HMENU popup = GetSubMenu(menu, 0);
  for (const agent::MenuItemState& item : items) {
    if (!item.text.empty()) {
      ModifyMenuW(popup, item.id, MF_BYCOMMAND | MF_STRING, item.command, Widen(item.text).c_str());
    }
    EnableMenuItem(popup, item.command, MF_BYCOMMAND | (item.greyed ? MF_GRAYED : MF_ENABLED));
    CheckMenuItem(popup, item.command, MF_BYCOMMAND | (item.checked ? MF_CHECKED : MF_UNCHECKED));
  }
  POINT cursor;
  GetCursorPos(&cursor);
  // In front, so that the menu closes when the user clicks elsewhere.
  SetForegroundWindow(owner);
  TrackPopupMenu(popup, TPM_LEFTALIGN | TPM_LEFTBUTTON, cursor.x, cursor.y, 0, owner, nullptr);
  PostMessageW(owner, WM_NULL, 0, 0);
  DestroyMenu(menu);
}

}  // namespace tvac::ui
