#pragma once

#include <algorithm>
#include <string>
#include <vector>

// Which face the skin's texts are drawn with. Portable: the window enumerates the
// system's Hangul faces and asks here.
namespace tvac::ui {

struct FontFace {
  std::wstring name;
  bool fixed_pitch = false;
  bool truetype = false;
};

// The face the skin names when the system has it; else the first of a few common
// Korean faces it has; else its first proportional TrueType face in name order,
// never a vertical one ("@..."). Empty when the system lists no Hangul face, which
// leaves the choice to the font mapper.
inline std::wstring ChooseSkinFace(const std::wstring& preferred, std::vector<FontFace> faces) {
  std::erase_if(faces,
                [](const FontFace& face) { return face.name.empty() || face.name[0] == L'@'; });
  const auto has = [&](const std::wstring& name) {
    return std::any_of(faces.begin(), faces.end(),
                       [&](const FontFace& face) { return face.name == name; });
  };
  for (const std::wstring& name : {preferred, std::wstring(L"Gulim"), std::wstring(L"Dotum"),
                                   std::wstring(L"Malgun Gothic"), std::wstring(L"NanumGothic")}) {
    if (has(name)) return name;
  }
  std::sort(faces.begin(), faces.end(),
            [](const FontFace& a, const FontFace& b) { return a.name < b.name; });
  for (const FontFace& face : faces) {
    if (face.truetype && !face.fixed_pitch) return face.name;
  }
  return faces.empty() ? std::wstring() : faces.front().name;
}

}  // namespace tvac::ui
