// Our INI reader against the system's own GetPrivateProfileStringA, which here is
// the reference for what an INI lookup gives.
#include <windows.h>

#include <gtest/gtest.h>

#include "platform/ini.h"
#include "platform/ini_cases.h"
#include "test_support.h"

namespace tvac::platform {
namespace {

std::string SystemLookup(const std::string& file, const char* section, const char* key,
                         const char* fallback, DWORD buffer_size) {
  std::string buffer(buffer_size, '\0');
  const DWORD length =
      GetPrivateProfileStringA(section, key, fallback, buffer.data(), buffer_size, file.c_str());
  buffer.resize(length);
  return buffer;
}

class IniAgainstSystemTest : public testing::TestWithParam<IniCase> {
 protected:
  static void SetUpTestSuite() { folder_ = testing_win32::ScratchFolder("ini"); }
  static inline std::string folder_;
};

TEST_P(IniAgainstSystemTest, SameTextAsGetPrivateProfileStringA) {
  const IniCase& c = GetParam();
  // A new file name for every case: the system keeps recently read files cached.
  static int counter = 0;
  const std::string file = folder_ + "\\case" + std::to_string(++counter) + ".ini";
  testing_win32::WriteFileBytes(file, std::string(c.content));
  const std::string system = SystemLookup(file, c.section, c.key, c.fallback, kIniBufferSize);
  EXPECT_EQ(IniDocument::Parse(c.content).Get(c.section, c.key, c.fallback), system);
  EXPECT_EQ(system, c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, IniAgainstSystemTest, testing::ValuesIn(kIniCases));

TEST(IniAgainstSystem, OverLongValuesAndSmallBuffers) {
  const std::string folder = testing_win32::ScratchFolder("ini-long");
  const std::string value(400, 'Q');
  const std::string content =
      "[S]\r\nplain=" + value + "\r\nquoted=\"" + value + "\"\r\n" + "short=\"abcdef\"\r\n";
  const std::string file = folder + "\\long.ini";
  testing_win32::WriteFileBytes(file, content);
  const IniDocument doc = IniDocument::Parse(content);
  for (const char* key : {"plain", "quoted", "short"}) {
    for (DWORD size : {260u, 7u, 8u, 9u, 2u, 1u}) {
      EXPECT_EQ(doc.Get("S", key, "d", size), SystemLookup(file, "S", key, "d", size))
          << key << " in " << size << " bytes";
    }
  }
}

TEST(IniAgainstSystem, MissingFileGivesTheDefault) {
  EXPECT_EQ(SystemLookup("C:\\tvac-no-such-folder\\x.ini", "A", "k", "0", 260), "0");
  EXPECT_EQ(IniDocument::Parse("").Get("A", "k", "0"), "0");
}

}  // namespace
}  // namespace tvac::platform
