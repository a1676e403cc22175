#pragma once

#include <cstddef>
#include <ostream>
#include <string_view>

// Awkward INI inputs with what the system's private-profile reader gives for them.
// The host tests check our reader against the expected texts; the Windows tests
// also ask GetPrivateProfileStringA itself.
namespace tvac::platform {

struct IniCase {
  const char* title;
  std::string_view content;  // may hold zero bytes
  const char* section;
  const char* key;
  const char* fallback;
  const char* expected;
};

inline void PrintTo(const IniCase& c, std::ostream* os) {
  *os << c.title;
}

// A literal with all its bytes, zero bytes too.
template <std::size_t N>
constexpr std::string_view Bytes(const char (&text)[N]) {
  return {text, N - 1};
}

inline const IniCase kIniCases[] = {
    {"plain value", "[A]\r\nk=v\r\n", "A", "k", "d", "v"},
    {"section and key names ignore case", "[TotalCount]\nCount=3\n", "totalcount", "COUNT", "",
     "3"},
    {"missing section", "[A]\nk=v\n", "B", "k", "d", "d"},
    {"missing key", "[A]\nk=v\n", "A", "x", "d", "d"},
    {"blanks around names and value", "  [A]  \n \t k \t=  v w \t\r\n", "A", "k", "d", "v w"},
    {"blanks in the lookup names", "[A]\nk=v\n", " A ", "\tk ", "d", "v"},
    {"first of duplicate keys", "[A]\nk=1\nk=2\n", "A", "k", "d", "1"},
    {"first of duplicate sections only", "[A]\nx=1\n[A]\nk=2\n", "A", "k", "d", "d"},
    {"duplicate section does not hide the first", "[A]\nk=1\n[A]\nk=2\n", "A", "k", "d", "1"},
    {"comment line is not a value", "[A]\n;k=v\n", "A", "k", "d", "d"},
    {"semicolon inside a value stays", "[A]\nk=v;w\n", "A", "k", "d", "v;w"},
    {"line without equals reads as missing", "[A]\nk\nk=v\n", "A", "k", "d", "d"},
    {"empty value", "[A]\nk=\n", "A", "k", "d", ""},
    {"LF only", "[A]\nk=v", "A", "k", "d", "v"},
    {"no newline at the end", "[A]\r\nk=v", "A", "k", "d", "v"},
    {"UTF-8 byte-order mark", "\xEF\xBB\xBF[A]\nk=v\n", "A", "k", "d", "v"},
    {"keys before any section belong to none", "k=v\n[A]\n", "A", "k", "d", "d"},
    {"quoted value loses its quotes", "[A]\nk=\"a b\"\n", "A", "k", "d", "a b"},
    {"single quotes too", "[A]\nk='a'\n", "A", "k", "d", "a"},
    {"unmatched quote stays", "[A]\nk=\"a\n", "A", "k", "d", "\"a"},
    {"equals in the value", "[A]\nk=a=b\n", "A", "k", "d", "a=b"},
    {"section name up to the last bracket", "[A]x]\nk=v\n", "A]x", "k", "d", "v"},
    {"bracket line without close is a key", "[A]\n[B\nk=v\n", "A", "k", "d", "v"},
    {"trailing spaces of the default dropped", "", "A", "k", "d  ", "d"},
    {"code page 949 bytes pass as they are", "[A]\nk=\xC7\xD1\xB1\xDB\n", "A", "k", "d",
     "\xC7\xD1\xB1\xDB"},
    // A lone CR ends a line as LF does, so a file with CR line ends reads whole.
    {"CR line ends", "[A]\rk=v\r[B]\rn=w\r", "B", "n", "d", "w"},
    {"CR inside a line ends it", "[A]\nk=a\rb=c\n", "A", "k", "d", "a"},
    {"key after a CR inside a line", "[A]\nk=a\rb=c\n", "A", "b", "d", "c"},
    // Names and values are texts: each ends at a zero byte, the line at its line end,
    // and the lines after it read as ever.
    {"zero byte ends a value", Bytes("[A]\r\nk=ab\0cd\r\nn=v\r\n"), "A", "k", "d", "ab"},
    {"line after a zero byte", Bytes("[A]\r\nk=ab\0cd\r\nn=v\r\n"), "A", "n", "d", "v"},
    {"quoted value cut at a zero byte", Bytes("[A]\r\nk=\"ab\0cd\"\r\n"), "A", "k", "d", "\"ab"},
    {"zero byte ends a key name", Bytes("[A]\r\nk\0x=v\r\n"), "A", "k", "d", "v"},
    {"zero byte ends a section name", Bytes("[A\0B]\r\nk=v\r\n[C]\r\nn=w\r\n"), "A", "k", "d", "v"},
    {"section after a zero byte", Bytes("[A\0B]\r\nk=v\r\n[C]\r\nn=w\r\n"), "C", "n", "d", "w"},
    {"zero byte first names no key", Bytes("[A]\r\n\0k=v\r\n"), "A", "k", "d", "d"},
};

}  // namespace tvac::platform
