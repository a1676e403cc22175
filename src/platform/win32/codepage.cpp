#include "platform/win32/codepage.h"

#include <windows.h>

#include <climits>

namespace tvac::platform::win32 {

std::wstring Widen(std::string_view text) {
  if (text.empty() || text.size() > INT_MAX) return {};
  const int size = static_cast<int>(text.size());
  const int length = MultiByteToWideChar(kTextCodePage, 0, text.data(), size, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(kTextCodePage, 0, text.data(), size, wide.data(), length);
  return wide;
}

namespace {

std::string FromWide(unsigned code_page, std::wstring_view text) {
  if (text.empty() || text.size() > INT_MAX) return {};
  const int size = static_cast<int>(text.size());
  const int length =
      WideCharToMultiByte(code_page, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
  std::string narrow(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(code_page, 0, text.data(), size, narrow.data(), length, nullptr, nullptr);
  return narrow;
}

}  // namespace

std::string Narrow(std::wstring_view text) {
  return FromWide(kTextCodePage, text);
}

std::string ToUtf8(std::wstring_view text) {
  return FromWide(CP_UTF8, text);
}

}  // namespace tvac::platform::win32
