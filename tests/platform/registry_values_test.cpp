#include "platform/registry_values.h"

#include <gtest/gtest.h>

#include "fakes/fake_registry.h"

namespace tvac::platform {
namespace {

using fakes::FakeRegistry;

constexpr RootKey kHkcu = RootKey::kCurrentUser;
constexpr char kCommon[] = "Software\\TalvoAntiVirus\\Common";

TEST(RootKeyFromName, KnowsExactlyThreeNames) {
  EXPECT_EQ(RootKeyFromName("HKEY_CLASSES_ROOT"), RootKey::kClassesRoot);
  EXPECT_EQ(RootKeyFromName("HKEY_CURRENT_USER"), RootKey::kCurrentUser);
  EXPECT_EQ(RootKeyFromName("HKEY_LOCAL_MACHINE"), RootKey::kLocalMachine);
  for (const char* other : {"HKEY_USERS", "HKCU", "hkey_current_user", "", "HKEY_CURRENT_USER\\"}) {
    EXPECT_FALSE(RootKeyFromName(other).has_value()) << other;
  }
}

TEST(ReadRegistryString, MissingKeyIsCreatedAndReadsTheDefault) {
  FakeRegistry registry;
  std::string buffer = "old";
  EXPECT_EQ(ReadRegistryString(registry, kHkcu, kCommon, "Tray", "False", buffer), 0);
  EXPECT_EQ(buffer, "False");
  EXPECT_TRUE(registry.KeyExists(kHkcu, kCommon));
  EXPECT_EQ(registry.open_count(), 0);
}

TEST(ReadRegistryString, ValueMustFitTheBufferWithItsTerminator) {
  FakeRegistry registry;
  WriteRegistryString(registry, kHkcu, kCommon, "Fits", std::string(259, 'a'));
  WriteRegistryString(registry, kHkcu, kCommon, "TooLong", std::string(260, 'a'));
  std::string buffer;
  EXPECT_EQ(ReadRegistryString(registry, kHkcu, kCommon, "Fits", "0", buffer), 1);
  EXPECT_EQ(buffer, std::string(259, 'a'));
  EXPECT_EQ(ReadRegistryString(registry, kHkcu, kCommon, "TooLong", "0", buffer), 0);
  EXPECT_EQ(buffer, "0");
}

TEST(ReadRegistryString, NamesIgnoreCaseAndAnyTypeIsRead) {
  FakeRegistry registry;
  registry.SetRaw(kHkcu, "SOFTWARE\\TalvoAntiVirus\\Common", "LASTSCAN",
                  std::string("2026.12.10\0", 11));
  registry.SetRaw(kHkcu, kCommon, "Binary", std::string("ab\0cd", 5));  // no terminator
  std::string buffer;
  EXPECT_EQ(ReadRegistryString(registry, kHkcu, kCommon, "LastScan", "0000.00.00", buffer), 1);
  EXPECT_EQ(buffer, "2026.12.10");
  EXPECT_EQ(ReadRegistryString(registry, kHkcu, kCommon, "binary", "0", buffer), 1);
  EXPECT_EQ(buffer, "ab");
}

TEST(ReadRegistryString, KeyThatCannotBeOpenedLeavesTheBufferAlone) {
  FakeRegistry registry;
  registry.SetRaw(kHkcu, "Software\\Locked", "x", "1");
  registry.DenyWrite(kHkcu, "Software\\Locked");  // nothing can be created below it
  std::string buffer = "preset";
  EXPECT_EQ(ReadRegistryString(registry, kHkcu, "Software\\Locked\\Missing", "v", "0", buffer), 0);
  EXPECT_EQ(buffer, "preset");
}

TEST(WriteRegistryString, CreatesThePathAndStoresTheTerminator) {
  FakeRegistry registry;
  EXPECT_EQ(WriteRegistryString(registry, kHkcu, "Software\\A\\B\\C", "", "text"), 1);
  EXPECT_EQ(registry.RawValue(kHkcu, "software\\a\\b\\c", ""), std::string("text\0", 5));
  EXPECT_EQ(WriteRegistryString(registry, kHkcu, "Software\\A\\B\\C", "", "new"), 1);
  EXPECT_EQ(registry.RawValue(kHkcu, "Software\\A\\B\\C", ""), std::string("new\0", 4));
}

TEST(WriteRegistryString, RefusedKeyReportsFailure) {
  FakeRegistry registry;
  registry.SetRaw(kHkcu, "Software\\Locked", "x", "1");
  registry.DenyWrite(kHkcu, "Software\\Locked");
  EXPECT_EQ(WriteRegistryString(registry, kHkcu, "Software\\Locked", "x", "2"), 0);
  EXPECT_EQ(registry.RawValue(kHkcu, "Software\\Locked", "x"), "1");
}

TEST(DeleteRegistryValue, Cases) {
  FakeRegistry registry;
  EXPECT_EQ(DeleteRegistryValue(registry, kHkcu, "Software\\Nowhere", "v"), 0);
  EXPECT_FALSE(registry.KeyExists(kHkcu, "Software\\Nowhere"));

  WriteRegistryString(registry, kHkcu, "Software\\Run", "Agent", "C:\\a.exe");
  EXPECT_EQ(DeleteRegistryValue(registry, kHkcu, "Software\\Run", "AGENT"), 1);
  EXPECT_FALSE(registry.RawValue(kHkcu, "Software\\Run", "Agent").has_value());
  EXPECT_EQ(DeleteRegistryValue(registry, kHkcu, "Software\\Run", "Agent"), 0);

  WriteRegistryString(registry, kHkcu, "Software\\Locked", "v", "1");
  registry.DenyWrite(kHkcu, "Software\\Locked");
  EXPECT_EQ(DeleteRegistryValue(registry, kHkcu, "Software\\Locked", "v"), 0);
  EXPECT_TRUE(registry.RawValue(kHkcu, "Software\\Locked", "v").has_value());
}

}  // namespace
}  // namespace tvac::platform
