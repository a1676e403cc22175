#include "ui/font_choice.h"

#include <gtest/gtest.h>

namespace tvac::ui {
namespace {

const std::wstring kSkinFace = L"\uAD74\uB9BC";  // the skin's own face

TEST(ChooseSkinFace, Table) {
  const FontFace coding{L"NanumGothicCoding", true, true};
  const FontFace barun{L"NanumBarunGothic", false, true};
  const FontFace nanum{L"NanumGothic", false, true};
  const FontFace bitmap{L"Bitmap Hangul", false, false};
  const FontFace vertical{L"@Batang", false, true};
  const struct {
    const char* name;
    std::vector<FontFace> faces;
    std::wstring expected;
  } cases[] = {
      {"the skin's face first", {coding, nanum, {kSkinFace, false, true}}, kSkinFace},
      {"its English name", {nanum, {L"Gulim", false, true}}, L"Gulim"},
      {"a common Korean face", {barun, coding, nanum}, L"NanumGothic"},
      {"a proportional TrueType face", {coding, barun, bitmap}, L"NanumBarunGothic"},
      {"never a vertical one", {vertical, coding}, L"NanumGothicCoding"},
      {"then any", {bitmap}, L"Bitmap Hangul"},
      {"none at all", {}, L""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ChooseSkinFace(kSkinFace, c.faces), c.expected) << c.name;
  }
}

}  // namespace
}  // namespace tvac::ui
