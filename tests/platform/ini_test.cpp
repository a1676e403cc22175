#include "platform/ini.h"

#include <gtest/gtest.h>

#include "fakes/fake_files.h"

namespace tvac::platform {
namespace {

struct IniCase {
  const char* title;
  const char* content;
  const char* section;
  const char* key;
  const char* fallback;
  const char* expected;
};

// Each case is also run against the system's reader under wine (tests/win32).
const IniCase kCases[] = {
    {"plain value", "[A]\r\nk=v\r\n", "A", "k", "d", "v"},
    {"section and key names ignore case", "[TotalCount]\nCount=3\n", "totalcount", "COUNT", "", "3"},
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
};

void PrintTo(const IniCase& c, std::ostream* os) { *os << c.title; }

class IniCaseTest : public testing::TestWithParam<IniCase> {};

TEST_P(IniCaseTest, ReadsLikeTheSystemReader) {
  const IniCase& c = GetParam();
  EXPECT_EQ(IniDocument::Parse(c.content).Get(c.section, c.key, c.fallback), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, IniCaseTest, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<IniCase>& info) {
                           return "case" + std::to_string(info.index);
                         });

TEST(IniDocument, CutsValuesToTheBuffer) {
  const std::string long_value(300, 'x');
  const IniDocument doc = IniDocument::Parse("[A]\nk=" + long_value + "\n");
  EXPECT_EQ(doc.Get("A", "k", ""), std::string(259, 'x'));
  EXPECT_EQ(doc.Get("A", "k", "", 10), std::string(9, 'x'));
  EXPECT_EQ(doc.Get("A", "k", "", 1), "");
  EXPECT_EQ(doc.Get("A", "k", "", 0), "");
}

TEST(IniDocument, QuotedValueCutAtTheBufferKeepsItsTail) {
  // The closing quote is dropped only when the unquoted rest fit; otherwise the
  // text is simply cut.
  const IniDocument doc = IniDocument::Parse("[A]\nk=\"abcdef\"\n");
  EXPECT_EQ(doc.Get("A", "k", "", 100), "abcdef");
  EXPECT_EQ(doc.Get("A", "k", "", 4), "abc");
}

TEST(ReadIniString, MissingFileGivesTheDefault) {
  fakes::FakeFiles files;
  EXPECT_EQ(ReadIniString(files, "C:\\app\\updates.ini", "UPDATE", "VER", "0"), "0");
  files.AddFile("C:\\app\\updates.ini", "[UPDATE]\r\nVER=3.0.1\r\n");
  EXPECT_EQ(ReadIniString(files, "C:\\app\\updates.ini", "update", "ver", "0"), "3.0.1");
}

}  // namespace
}  // namespace tvac::platform
