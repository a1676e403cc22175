#include <gtest/gtest.h>

#include "platform/path.h"
#include "platform/text.h"

namespace tvac::platform {
namespace {

TEST(NormalizeFullPath, Cases) {
  const struct {
    const char* in;
    const char* out;  // nullptr: not a full path
  } cases[] = {
      {"C:\\a\\b", "C:\\a\\b"},
      {"C:/a//b\\", "C:\\a\\b"},
      {"c:\\a\\.\\b\\..\\c", "c:\\a\\c"},
      {"C:\\", "C:\\"},
      {"C:", nullptr},
      {"C:\\..", nullptr},
      {"C:\\Windows\\..", "C:\\"},
      {"\\\\srv\\share\\x", "\\\\srv\\share\\x"},
      {"\\\\srv\\share\\", "\\\\srv\\share"},
      {"\\\\srv", nullptr},
      {"relative\\x", nullptr},
      {"", nullptr},
  };
  for (const auto& c : cases) {
    const auto got = NormalizeFullPath(c.in);
    if (c.out == nullptr) {
      EXPECT_FALSE(got.has_value()) << c.in;
    } else {
      EXPECT_EQ(got.value_or("<none>"), c.out) << c.in;
    }
  }
}

TEST(Paths, RootsAncestorsAndParents) {
  EXPECT_TRUE(IsRootPath("C:\\"));
  EXPECT_TRUE(IsRootPath("\\\\srv\\share"));
  EXPECT_FALSE(IsRootPath("C:\\a"));
  EXPECT_TRUE(IsSameOrAncestor("C:\\Windows", "c:\\windows\\system32"));
  EXPECT_TRUE(IsSameOrAncestor("C:\\", "C:\\Windows"));
  EXPECT_TRUE(IsSameOrAncestor("C:\\Windows", "C:\\WINDOWS"));
  EXPECT_FALSE(IsSameOrAncestor("C:\\Win", "C:\\Windows"));
  EXPECT_FALSE(IsSameOrAncestor("C:\\Windows\\System32", "C:\\Windows"));
  EXPECT_EQ(ParentPath("C:\\a\\b"), "C:\\a");
  EXPECT_EQ(ParentPath("C:\\a"), "C:\\");
  EXPECT_EQ(ParentPath("C:\\"), "");
  EXPECT_EQ(FileNameOf("C:\\a\\b.exe"), "b.exe");
  EXPECT_EQ(FileNameOf("b.exe"), "b.exe");
}

TEST(AsciiCase, LeavesDoubleByteCharactersAlone) {
  EXPECT_EQ(AsciiUpper("services.exe"), "SERVICES.EXE");
  // 0x8C 0x63 is one code page 949 character whose trail byte is an ASCII 'c'.
  EXPECT_EQ(AsciiUpper("a\x8C\x63z"), "A\x8C\x63Z");
  EXPECT_EQ(AsciiLower("A\x8C\x43Z"), "a\x8C\x43z");
  EXPECT_TRUE(EqualsIgnoringAsciiCase("Run", "RUN"));
  EXPECT_FALSE(EqualsIgnoringAsciiCase("\x8C\x63", "\x8C\x43"));
}

TEST(LeadingNumber, Cases) {
  const struct {
    const char* in;
    std::int32_t out;
  } cases[] = {{"3", 3},
               {"2x", 2},
               {"abc", 0},
               {"", 0},
               {"-1", -1},
               {"+7", 7},
               {"0012", 12},
               {" 5", 0},
               {"2147483647", 2147483647},
               {"99999999999999", 2147483647},
               {"-99999999999999", -2147483647 - 1}};
  for (const auto& c : cases) EXPECT_EQ(LeadingNumber(c.in), c.out) << c.in;
}

}  // namespace
}  // namespace tvac::platform
