#include "ui/controls/rins_button.h"

#include <commctrl.h>

namespace tvac::ui {

void CRinsButton::Attach(HWND window) {
  window_ = window;
  SetWindowSubclass(window, Subclass, 0, reinterpret_cast<DWORD_PTR>(this));
}

void CRinsButton::SetBitmaps(int normal, int pressed, int hover) {
  normal_ = LoadSkinBitmap(normal);
  pressed_ = LoadSkinBitmap(pressed);
  hover_face_ = LoadSkinBitmap(hover);
  if (window_) InvalidateRect(window_, nullptr, FALSE);
}

void CRinsButton::Draw(const DRAWITEMSTRUCT& item) {
  HBITMAP face = (item.itemState & ODS_SELECTED) ? pressed_.get()
                 : hover_                        ? hover_face_.get()
                                                 : normal_.get();
  Blit(item.hDC, 0, 0, bounds_.width(), bounds_.height(), face);
}

LRESULT CALLBACK CRinsButton::Subclass(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                                       UINT_PTR, DWORD_PTR self) {
  if (message == WM_NCDESTROY) RemoveWindowSubclass(window, Subclass, 0);
  return reinterpret_cast<CRinsButton*>(self)->OnMessage(message, wparam, lparam);
}

LRESULT CRinsButton::OnMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_MOUSEMOVE:
      if (!tracking_) {
        TRACKMOUSEEVENT track{sizeof track, TME_HOVER | TME_LEAVE, window_, 1};
        tracking_ = _TrackMouseEvent(&track) != FALSE;
      }
      break;
    case WM_MOUSEHOVER:
      hover_ = true;
      InvalidateRect(window_, nullptr, FALSE);
      return 1;
    case WM_MOUSELEAVE:
      tracking_ = false;
      hover_ = false;
      InvalidateRect(window_, nullptr, FALSE);
      return 1;
  }
  return DefSubclassProc(window_, message, wparam, lparam);
}

void SkinStatic::Attach(HWND window) {
  window_ = window;
  SetWindowSubclass(window, Subclass, 0, reinterpret_cast<DWORD_PTR>(this));
}

void SkinStatic::SetBitmaps(int left_end, int right_end, int groove, int fill) {
  left_end_ = LoadSkinBitmap(left_end);
  right_end_ = LoadSkinBitmap(right_end);
  groove_ = LoadSkinBitmap(groove);
  fill_ = LoadSkinBitmap(fill);
}

void SkinStatic::SetBounds(const Rect& bounds) {
  bounds_ = bounds;
  MoveWindow(window_, bounds.left, bounds.top, bounds.width(), bounds.height(), TRUE);
}

void SkinStatic::SetPercent(int percent) {
  fill_width_ = FillWidth(bounds_.width(), percent);
  InvalidateRect(window_, nullptr, TRUE);
}

void SkinStatic::Paint(HDC dc) {
  RECT client;
  GetClientRect(window_, &client);
  const int width = client.right;
  const int height = client.bottom;
  Bitmap canvas(CreateCompatibleBitmap(dc, width, height));
  MemoryDc memory(dc, canvas.get());
  const int fill = fill_width_;
  Blit(memory.get(), 0, 0, 1, height, left_end_.get());
  Blit(memory.get(), width - 1, 0, 1, height, right_end_.get());
  for (int x = 1; x <= fill && x < width; ++x) Blit(memory.get(), x, 0, 1, height, fill_.get());
  for (int x = fill; x < width - 1; ++x) Blit(memory.get(), x, 0, 1, height, groove_.get());
  BitBlt(dc, 0, 0, width, height, memory.get(), 0, 0, SRCCOPY);
}

LRESULT CALLBACK SkinStatic::Subclass(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                                      UINT_PTR, DWORD_PTR self) {
  auto* bar = reinterpret_cast<SkinStatic*>(self);
  switch (message) {
    case WM_ERASEBKGND:
      bar->Paint(reinterpret_cast<HDC>(wparam));
      return 1;
    case WM_PAINT:
      ValidateRect(window, nullptr);
      return 0;
    case WM_NCDESTROY:
      RemoveWindowSubclass(window, Subclass, 0);
      break;
  }
  return DefSubclassProc(window, message, wparam, lparam);
}

LRESULT SkinListCustomDraw(NMLVCUSTOMDRAW& draw) {
  switch (draw.nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
      return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT: {
      const Rgb back = RowBackground(static_cast<int>(draw.nmcd.dwItemSpec));
      draw.clrText = RGB(kRowText.r, kRowText.g, kRowText.b);
      draw.clrTextBk = RGB(back.r, back.g, back.b);
      return CDRF_DODEFAULT;
    }
  }
  return CDRF_DODEFAULT;
}

}  // namespace tvac::ui
