#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tvac::platform {

// ASCII letter case only. A code page 949 double-byte character (a lead byte 0x81 to
// 0xFE and the byte after it) stays as it is, even when its trail byte looks like an
// ASCII letter.
std::string AsciiUpper(std::string_view text);
std::string AsciiLower(std::string_view text);
bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b);
// A hash that texts equal but for ASCII letter case share.
std::size_t AsciiCaseFoldedHash(std::string_view text);

// Blanks as the system's profile reader sees them: space, tab, the line-end
// characters, form feed, vertical tab and the old end-of-file mark (0x1A).
bool IsProfileBlank(char c);
std::string_view TrimProfileBlanks(std::string_view text);

// The leading decimal number of a text (an optional sign, then digits); 0 when there
// are no digits. Numbers beyond 32 bits stop at the largest or smallest value.
std::int32_t LeadingNumber(std::string_view text);

}  // namespace tvac::platform
