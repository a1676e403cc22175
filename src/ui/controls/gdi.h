#pragma once

#include <windows.h>

#include <string_view>
#include <utility>

// Owners for GDI objects and memory device contexts: each is released once.
namespace tvac::ui {

template <typename T>
class GdiObject {
 public:
  GdiObject() = default;
  explicit GdiObject(T object) : object_(object) {}
  GdiObject(GdiObject&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
  GdiObject& operator=(GdiObject&& other) noexcept {
    if (this != &other) Reset(std::exchange(other.object_, nullptr));
    return *this;
  }
  GdiObject(const GdiObject&) = delete;
  GdiObject& operator=(const GdiObject&) = delete;
  ~GdiObject() { Reset(); }

  T get() const { return object_; }
  explicit operator bool() const { return object_ != nullptr; }
  void Reset(T object = nullptr) {
    if (object_) DeleteObject(object_);
    object_ = object;
  }

 private:
  T object_ = nullptr;
};

using Bitmap = GdiObject<HBITMAP>;
using Font = GdiObject<HFONT>;
using Brush = GdiObject<HBRUSH>;

// A memory device context compatible with `dc`, with `object` selected into it until
// it goes away.
class MemoryDc {
 public:
  explicit MemoryDc(HDC dc) : dc_(CreateCompatibleDC(dc)) {}
  MemoryDc(HDC dc, HGDIOBJ object) : MemoryDc(dc) { Select(object); }
  MemoryDc(const MemoryDc&) = delete;
  MemoryDc& operator=(const MemoryDc&) = delete;
  ~MemoryDc() {
    if (old_) SelectObject(dc_, old_);
    DeleteDC(dc_);
  }
  void Select(HGDIOBJ object) {
    HGDIOBJ previous = SelectObject(dc_, object);
    if (!old_) old_ = previous;
  }
  HDC get() const { return dc_; }

 private:
  HDC dc_;
  HGDIOBJ old_ = nullptr;
};

inline Bitmap LoadSkinBitmap(int id) {
  return Bitmap(static_cast<HBITMAP>(
      LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, 0)));
}

// Draws `bitmap` into `target` at (x, y), `width` × `height` pixels from its origin.
inline void Blit(HDC target, int x, int y, int width, int height, HBITMAP bitmap) {
  if (!bitmap) return;
  MemoryDc source(target, bitmap);
  BitBlt(target, x, y, width, height, source.get(), 0, 0, SRCCOPY);
}

// The face every skinned text is drawn in: "굴림", 12 pixels, weight 500. A system
// without it gets one of its own Hangul faces (ChooseSkinFace), chosen once.
Font CreateSkinFont();

// Draws code page 949 `text` into `rect` (left, top, one line unless it holds a line
// break), transparent, in `colour`, with the font selected in `dc`. A line wider
// than the rectangle is drawn in a narrower cut of that font, so none is clipped.
void DrawSkinText(HDC dc, std::string_view text, const RECT& rect, COLORREF colour);

}  // namespace tvac::ui
