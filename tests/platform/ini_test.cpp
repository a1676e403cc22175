#include "platform/ini.h"

#include <gtest/gtest.h>

#include "fakes/fake_files.h"
#include "platform/ini_cases.h"

namespace tvac::platform {
namespace {

class IniCaseTest : public testing::TestWithParam<IniCase> {};

TEST_P(IniCaseTest, ReadsLikeTheSystemReader) {
  const IniCase& c = GetParam();
  EXPECT_EQ(IniDocument::Parse(c.content).Get(c.section, c.key, c.fallback), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, IniCaseTest, testing::ValuesIn(kIniCases),
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
