#include "platform/win32/codepage.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "samples/korean_samples.h"

namespace tvac::platform::win32 {
namespace {

// The suite runs under a Western ANSI code page, so nothing here may lean on it.
TEST(CodePage, SystemAnsiCodePageIsNotKorean) {
  EXPECT_NE(GetACP(), 949u);
}

TEST(CodePage, KoreanTextConvertsBothWays) {
  const std::wstring wide = Widen(samples::kHangulFolder);
  EXPECT_EQ(wide, L"\xC545\xC131\xADF8\xB8F9");
  EXPECT_EQ(Narrow(wide), samples::kHangulFolder);
  EXPECT_EQ(Narrow(Widen(samples::kHangulData)), samples::kHangulData);
}

TEST(CodePage, EmbeddedZerosAndEmptyTextsSurvive) {
  EXPECT_EQ(Widen(std::string("a\0b", 3)), std::wstring(L"a\0b", 3));
  EXPECT_EQ(Narrow(std::wstring(L"a\0b", 3)), std::string("a\0b", 3));
  EXPECT_EQ(Widen(""), L"");
  EXPECT_EQ(Narrow(L""), "");
}

}  // namespace
}  // namespace tvac::platform::win32
