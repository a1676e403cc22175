#include "ui/controls/gdi.h"

#include <algorithm>
#include <string>
#include <vector>

#include "base/texts.h"
#include "platform/win32/codepage.h"
#include "ui/font_choice.h"

namespace tvac::ui {
namespace {

using platform::win32::Widen;

int CALLBACK CollectFace(const LOGFONTW* font, const TEXTMETRICW*, DWORD type, LPARAM faces) {
  reinterpret_cast<std::vector<FontFace>*>(faces)->push_back(
      {font->lfFaceName, (font->lfPitchAndFamily & 3) == FIXED_PITCH,
       (type & TRUETYPE_FONTTYPE) != 0});
  return 1;
}

// Asked of the system once: the fonts do not change while the program runs.
const std::wstring& SkinFace() {
  static const std::wstring face = [] {
    std::vector<FontFace> faces;
    LOGFONTW wanted{};
    wanted.lfCharSet = HANGUL_CHARSET;
    HDC screen = GetDC(nullptr);
    EnumFontFamiliesExW(screen, &wanted, CollectFace, reinterpret_cast<LPARAM>(&faces), 0);
    ReleaseDC(nullptr, screen);
    const std::wstring preferred = Widen(texts::kFontFace);
    const std::wstring chosen = ChooseSkinFace(preferred, std::move(faces));
    return chosen.empty() ? preferred : chosen;
  }();
  return face;
}

Font SkinFont(int average_width) {
  // The Hangul character set keeps the font mapper on faces with Korean glyphs.
  return Font(CreateFontW(12, average_width, 0, 0, 500, FALSE, FALSE, FALSE, HANGUL_CHARSET,
                          OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS, PROOF_QUALITY, FF_MODERN,
                          SkinFace().c_str()));
}

}  // namespace

Font CreateSkinFont() {
  return SkinFont(0);
}

void DrawSkinText(HDC dc, std::string_view text, const RECT& rect, COLORREF colour) {
  std::wstring wide = Widen(text);
  RECT area = rect;
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, colour);
  const int length = static_cast<int>(wide.size());
  const int room = rect.right - rect.left;
  SIZE extent{};
  TEXTMETRICW metrics{};
  Font narrower;
  HGDIOBJ previous = nullptr;
  if (wide.find(L'\n') == std::wstring::npos && room > 0 &&
      GetTextExtentPoint32W(dc, wide.c_str(), length, &extent) && extent.cx > room &&
      GetTextMetricsW(dc, &metrics)) {
    narrower = SkinFont(std::max<LONG>(1, metrics.tmAveCharWidth * room / extent.cx));
    previous = SelectObject(dc, narrower.get());
  }
  DrawTextW(dc, wide.c_str(), length, &area, 0);
  if (previous) SelectObject(dc, previous);
}

}  // namespace tvac::ui
