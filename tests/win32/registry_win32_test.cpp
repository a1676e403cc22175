#include "platform/win32/registry_win32.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "platform/registry_values.h"
#include "platform/win32/codepage.h"
#include "remedy/system_ops.h"
#include "samples/korean_samples.h"

namespace tvac {
namespace {

using platform::kOk;
using platform::ReadRegistryString;
using platform::RootKey;
using platform::WriteRegistryString;
using platform::win32::Widen;
using remedy::DeleteRegistryKey;

constexpr RootKey kHkcu = RootKey::kCurrentUser;

class Win32RegistryTest : public testing::Test {
 protected:
  void SetUp() override {
    base_ = "Software\\TvacTests\\" + std::to_string(GetCurrentProcessId()) + "\\" +
            testing::UnitTest::GetInstance()->current_test_info()->name();
  }
  void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, Widen(base_).c_str()); }

  bool KeyExists(const std::string& path) {
    HKEY key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, Widen(path).c_str(), 0, KEY_READ, &key) != 0) {
      return false;
    }
    RegCloseKey(key);
    return true;
  }

  platform::win32::Win32Registry registry_;
  std::string base_;
};

TEST_F(Win32RegistryTest, KoreanTextRoundTripsAsUtf16InTheRegistry) {
  ASSERT_EQ(
      WriteRegistryString(registry_, kHkcu, base_, samples::kHangulValueName, samples::kHangulData),
      1);
  // Stored as UTF-16 REG_SZ with its terminator, whatever the ANSI code page is.
  wchar_t stored[64] = {};
  DWORD size = sizeof(stored);
  DWORD type = 0;
  ASSERT_EQ(
      RegGetValueW(HKEY_CURRENT_USER, Widen(base_).c_str(),
                   Widen(samples::kHangulValueName).c_str(), RRF_RT_ANY, &type, stored, &size),
      ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_STREQ(stored, L"C:\\\xD504\xB85C\xADF8\xB7A8\\\xC545\xC131\xCF54\xB4DC.exe");

  std::string read;
  EXPECT_EQ(ReadRegistryString(registry_, kHkcu, base_, samples::kHangulValueName, "0", read), 1);
  EXPECT_EQ(read, samples::kHangulData);
}

TEST_F(Win32RegistryTest, NamesDifferingInCaseAreOneKeyAndOneValue) {
  WriteRegistryString(registry_, kHkcu, base_ + "\\Common", "LastScan", "2026.12.10");
  WriteRegistryString(registry_, kHkcu, base_ + "\\COMMON", "LASTSCAN", "2026.12.11");
  std::string read;
  EXPECT_EQ(ReadRegistryString(registry_, kHkcu, base_ + "\\common", "lastscan", "0", read), 1);
  EXPECT_EQ(read, "2026.12.11");
  auto key = registry_.Open(kHkcu, base_ + "\\Common", platform::KeyAccess::kRead);
  ASSERT_EQ(key.error, kOk);
  std::string name;
  EXPECT_EQ(key.key->EnumValueName(0, 260, name), kOk);
  EXPECT_EQ(key.key->EnumValueName(1, 260, name), platform::kNoMoreItems);
}

TEST_F(Win32RegistryTest, ReadingCreatesTheKeyAndGivesTheDefault) {
  const std::string path = base_ + "\\Fresh\\Common";
  ASSERT_FALSE(KeyExists(path));
  std::string read = "preset";
  EXPECT_EQ(ReadRegistryString(registry_, kHkcu, path, "Tray", "False", read), 0);
  EXPECT_EQ(read, "False");
  EXPECT_TRUE(KeyExists(path));
}

TEST_F(Win32RegistryTest, ValuesMustFitTheBufferWithTheirTerminator) {
  WriteRegistryString(registry_, kHkcu, base_, "Fits", std::string(259, 'x'));
  WriteRegistryString(registry_, kHkcu, base_, "Long", std::string(260, 'x'));
  // 130 Korean characters are 260 bytes of code page 949, and so do not fit.
  std::string korean;
  for (int i = 0; i < 65; ++i) korean += "\xC7\xD1\xB1\xDB";
  WriteRegistryString(registry_, kHkcu, base_, "Korean", korean);
  std::string read;
  EXPECT_EQ(ReadRegistryString(registry_, kHkcu, base_, "Fits", "0", read), 1);
  EXPECT_EQ(read.size(), 259u);
  EXPECT_EQ(ReadRegistryString(registry_, kHkcu, base_, "Long", "0", read), 0);
  EXPECT_EQ(read, "0");
  EXPECT_EQ(ReadRegistryString(registry_, kHkcu, base_, "Korean", "0", read), 0);
  EXPECT_EQ(ReadRegistryString(registry_, kHkcu, base_, "Korean", "0", read, 261), 1);
  EXPECT_EQ(read, korean);
}

TEST_F(Win32RegistryTest, OtherValueTypesReadAsTheirBytes) {
  const DWORD number = 0x00333231;  // "123" and a zero, little-endian
  RegSetKeyValueW(HKEY_CURRENT_USER, Widen(base_).c_str(), L"Number", REG_DWORD, &number,
                  sizeof(number));
  std::string read;
  EXPECT_EQ(ReadRegistryString(registry_, kHkcu, base_, "Number", "0", read), 1);
  EXPECT_EQ(read, "123");
}

TEST_F(Win32RegistryTest, SubkeyTreeIsDeletedDeepestFirst) {
  for (const char* sub : {"\\Bad\\A\\A1\\Deep", "\\Bad\\A\\A2", "\\Bad\\B", "\\Keep"}) {
    WriteRegistryString(registry_, kHkcu, base_ + sub, "v", "1");
  }
  EXPECT_EQ(DeleteRegistryKey(registry_, kHkcu, base_ + "\\Bad", false), kOk);
  EXPECT_TRUE(KeyExists(base_ + "\\Bad"));
  EXPECT_FALSE(KeyExists(base_ + "\\Bad\\A"));
  EXPECT_EQ(DeleteRegistryKey(registry_, kHkcu, base_ + "\\Bad", true), kOk);
  EXPECT_FALSE(KeyExists(base_ + "\\Bad"));
  EXPECT_TRUE(KeyExists(base_ + "\\Keep"));
  EXPECT_EQ(DeleteRegistryKey(registry_, kHkcu, base_ + "\\Bad", true), platform::kFileNotFound);
}

TEST_F(Win32RegistryTest, KeyWithSubkeysCannotBeDeletedDirectly) {
  WriteRegistryString(registry_, kHkcu, base_ + "\\P\\C", "v", "1");
  EXPECT_NE(registry_.DeleteKey(kHkcu, base_ + "\\P"), kOk);
  EXPECT_TRUE(KeyExists(base_ + "\\P\\C"));
}

TEST_F(Win32RegistryTest, RootLevelKeysAreRefused) {
  EXPECT_EQ(DeleteRegistryKey(registry_, RootKey::kLocalMachine, "SOFTWARE", true),
            platform::kAccessDenied);
  EXPECT_EQ(DeleteRegistryKey(registry_, kHkcu, "Software", false), platform::kAccessDenied);
  EXPECT_TRUE(KeyExists("Software\\TvacTests"));
}

}  // namespace
}  // namespace tvac
