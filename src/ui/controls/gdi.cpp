#include "ui/controls/gdi.h"

#include "base/texts.h"
#include "platform/win32/codepage.h"

namespace tvac::ui {

using platform::win32::Widen;

Font CreateSkinFont() {
  // The Hangul character set makes the font mapper pick a face with Korean glyphs
  // wherever "굴림" itself is missing, as it is on non-Korean systems.
  return Font(CreateFontW(12, 0, 0, 0, 500, FALSE, FALSE, FALSE, HANGUL_CHARSET, OUT_TT_PRECIS,
                          CLIP_DEFAULT_PRECIS, PROOF_QUALITY, FF_MODERN,
                          Widen(texts::kFontFace).c_str()));
}

void DrawSkinText(HDC dc, std::string_view text, const RECT& rect, COLORREF colour) {
  std::wstring wide = Widen(text);
  RECT area = rect;
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, colour);
  DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), &area, 0);
}

}  // namespace tvac::ui
