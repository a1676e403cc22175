#pragma once

#include <windows.h>

#include <commctrl.h>

#include <atomic>

#include "ui/controls/gdi.h"
#include "ui/layout.h"

namespace tvac::ui {

// An owner-drawn push button painted from bitmaps: a normal, a pressed and a hover
// face. Its parent forwards WM_DRAWITEM to Draw.
class CRinsButton {
 public:
  // Takes over the button `window` (created BS_OWNERDRAW).
  void Attach(HWND window);
  // Loads the three faces; each replaces and releases the one held before.
  void SetBitmaps(int normal, int pressed, int hover);
  // The size the faces are drawn with; the caller moves the window to it.
  void SetBounds(const Rect& bounds) { bounds_ = bounds; }
  void Draw(const DRAWITEMSTRUCT& item);
  HWND window() const { return window_; }

 private:
  static LRESULT CALLBACK Subclass(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                                   UINT_PTR id, DWORD_PTR self);
  LRESULT OnMessage(UINT message, WPARAM wparam, LPARAM lparam);

  HWND window_ = nullptr;
  bool hover_ = false;
  bool tracking_ = false;
  Bitmap normal_, pressed_, hover_face_;
  Rect bounds_;
};

// A static control drawn as a progress bar from four one-pixel strips. SetPercent
// may be called from any thread.
class SkinStatic {
 public:
  void Attach(HWND window);
  void SetBitmaps(int left_end, int right_end, int groove, int fill);
  // Stores the rectangle and moves the control there.
  void SetBounds(const Rect& bounds);
  void SetPercent(int percent);

 private:
  static LRESULT CALLBACK Subclass(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                                   UINT_PTR id, DWORD_PTR self);
  void Paint(HDC dc);

  HWND window_ = nullptr;
  Bitmap left_end_, right_end_, groove_, fill_;
  std::atomic<int> fill_width_{0};
  Rect bounds_;
};

// The result list's colours, for its parent's NM_CUSTOMDRAW.
LRESULT SkinListCustomDraw(NMLVCUSTOMDRAW& draw);

}  // namespace tvac::ui
