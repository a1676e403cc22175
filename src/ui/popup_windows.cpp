#include "ui/popup_windows.h"

#include <windows.h>

#include <vector>

#include "agent/main_model.h"
#include "res/resource_ids.h"
#include "ui/controls/gdi.h"
#include "ui/skin_window.h"

namespace tvac::ui {

namespace {

constexpr COLORREF kTextColour = RGB(0x33, 0x33, 0x33);

struct Line {
  std::string text;
  Rect area;
};

// One popup: its face, its click areas and the lines it draws.
struct Popup {
  int background_id;
  PopupLayout layout;
  std::vector<Line> lines;
  Bitmap background;

  void Paint(HDC dc) const {
    Bitmap canvas(CreateCompatibleBitmap(dc, layout.window.width(), layout.window.height()));
    MemoryDc memory(dc, canvas.get());
    Blit(memory.get(), 0, 0, layout.window.width(), layout.window.height(), background.get());
    Font font = CreateSkinFont();
    memory.Select(font.get());
    for (const Line& line : lines) {
      const RECT area{line.area.left, line.area.top, line.area.right, line.area.bottom};
      DrawSkinText(memory.get(), line.text, area, kTextColour);
    }
    BitBlt(dc, 0, 0, layout.window.width(), layout.window.height(), memory.get(), 0, 0, SRCCOPY);
  }
};

INT_PTR CALLBACK PopupProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* popup = reinterpret_cast<Popup*>(GetWindowLongPtrW(window, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG:
      popup = reinterpret_cast<Popup*>(lparam);
      SetWindowLongPtrW(window, DWLP_USER, lparam);
      popup->background = LoadSkinBitmap(popup->background_id);
      PlaceInWorkAreaCentre(window, popup->layout.window);
      return TRUE;
    case WM_ERASEBKGND:
      popup->Paint(reinterpret_cast<HDC>(wparam));
      SetWindowLongPtrW(window, DWLP_MSGRESULT, 1);
      return TRUE;
    case WM_LBUTTONDOWN: {
      const POINT p = ClientPoint(lparam);
      if (ClosesPopup(popup->layout, p.x, p.y)) {
        EndDialog(window, IDCANCEL);
      } else {
        StartDrag(window);
      }
      return TRUE;
    }
    case WM_SETCURSOR: {
      POINT p;
      GetCursorPos(&p);
      ScreenToClient(window, &p);
      ShowPointer(ClosesPopup(popup->layout, p.x, p.y));
      SetWindowLongPtrW(window, DWLP_MSGRESULT, TRUE);
      return TRUE;
    }
    case WM_COMMAND:
      // Enter and Escape arrive as IDOK and IDCANCEL: only a click closes a popup.
      return TRUE;
  }
  return FALSE;
}

void RunPopup(int template_id, Popup popup) {
  DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(template_id), nullptr, PopupProc,
                  reinterpret_cast<LPARAM>(&popup));
}

}  // namespace

void ShowMessageWindow(const base::Settings& settings) {
  RunPopup(IDD_MESSAGE, Popup{IDB_MESSAGE,
                              kMessageLayout,
                              {{settings.Read(base::Setting::kMessage), kMessageText}},
                              {}});
}

void ShowDetailDialog(const RowTexts& row) {
  RunPopup(
      IDD_DETAIL,
      Popup{IDB_DETAIL,
            kDetailLayout,
            {{std::string(texts::kDetailName) + agent::CutToFieldBuffer(row.name), kDetailName},
             {std::string(texts::kDetailLocation) + agent::CutToFieldBuffer(row.location),
              kDetailLocation},
             {std::string(texts::kDetailKind) + agent::CutToFieldBuffer(row.kind), kDetailKind}},
            {}});
}

}  // namespace tvac::ui
