#pragma once

#include <string>
#include <string_view>

namespace tvac::platform::win32 {

// The program's texts are code page 949 bytes whatever the system's ANSI code page
// is; every text crosses into the W functions through these two.
inline constexpr unsigned kTextCodePage = 949;

std::wstring Widen(std::string_view text);
std::string Narrow(std::wstring_view text);

// UTF-8, for output that leaves the program as bytes (pipes and files).
std::string ToUtf8(std::wstring_view text);

}  // namespace tvac::platform::win32
