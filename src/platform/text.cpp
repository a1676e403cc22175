#include "platform/text.h"

#include <algorithm>
#include <limits>

namespace tvac::platform {
namespace {

bool IsLeadByte(unsigned char c) {
  return c >= 0x81 && c <= 0xFE;
}

template <typename Map>
std::string MapAsciiLetters(std::string_view text, Map map) {
  std::string out(text);
  for (std::size_t i = 0; i < out.size(); ++i) {
    const auto c = static_cast<unsigned char>(out[i]);
    if (IsLeadByte(c)) {
      ++i;  // keep the trail byte with its lead byte
      continue;
    }
    out[i] = map(out[i]);
  }
  return out;
}

char ToUpper(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}
char ToLower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

std::string AsciiUpper(std::string_view text) {
  return MapAsciiLetters(text, ToUpper);
}
std::string AsciiLower(std::string_view text) {
  return MapAsciiLetters(text, ToLower);
}

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (IsLeadByte(static_cast<unsigned char>(a[i]))) {
      // Equal texts have their lead bytes in the same places; the trail byte stays.
      if (a[i] != b[i] || (i + 1 < a.size() && a[i + 1] != b[i + 1])) return false;
      ++i;
    } else if (ToLower(a[i]) != ToLower(b[i])) {
      return false;
    }
  }
  return true;
}

std::size_t AsciiCaseFoldedHash(std::string_view text) {
  std::uint64_t hash = 14695981039346656037ull;  // FNV-1a
  const auto mix = [&hash](char c) {
    hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
  };
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (IsLeadByte(static_cast<unsigned char>(text[i]))) {
      mix(text[i]);
      if (++i < text.size()) mix(text[i]);
    } else {
      mix(ToLower(text[i]));
    }
  }
  return static_cast<std::size_t>(hash);
}

bool IsProfileBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f' || c == 0x1A;
}

std::string_view TrimProfileBlanks(std::string_view text) {
  while (!text.empty() && IsProfileBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsProfileBlank(text.back())) text.remove_suffix(1);
  return text;
}

std::int32_t LeadingNumber(std::string_view text) {
  std::size_t pos = 0;
  bool negative = false;
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) negative = text[pos++] == '-';
  std::int64_t value = 0;
  constexpr std::int64_t kLimit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
  for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos) {
    value = std::min(value * 10 + (text[pos] - '0'), kLimit);
  }
  if (negative) return static_cast<std::int32_t>(-value);
  return static_cast<std::int32_t>(std::min<std::int64_t>(value, kLimit - 1));
}

}  // namespace tvac::platform
