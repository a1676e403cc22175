#include "base/settings.h"

#include <gtest/gtest.h>

#include "fakes/fake_registry.h"

namespace tvac::base {
namespace {

using fakes::FakeRegistry;
using platform::RootKey;

constexpr RootKey kHkcu = RootKey::kCurrentUser;
constexpr char kCommon[] = "Software\\TalvoAntiVirus\\Common";
constexpr char kUpdates[] = "Software\\TalvoAntiVirus\\Updates";
constexpr char kRun[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// A stored string: the text and its terminating zero.
std::string Sz(std::string_view text) {
  return std::string(text) + '\0';
}

class SettingsTest : public testing::Test {
 protected:
  FakeRegistry registry_;
  Settings settings_{registry_};
};

struct Place {
  Setting setting;
  const char* key;
  const char* name;
  const char* fallback;
};

// Every setting but `Server`, whose default is the build's choice.
constexpr Place kPlaces[] = {
    {Setting::kTray, kCommon, "Tray", "False"},
    {Setting::kAgent, kCommon, "Agent", "False"},
    {Setting::kAutoScan, kCommon, "AutoScan", "False"},
    {Setting::kAutoUpdate, kCommon, "AutoUpdate", "False"},
    {Setting::kAutoRemedy, kCommon, "AutoRemedy", "False"},
    {Setting::kLastScan, kCommon, "LastScan", "0000.00.00"},
    {Setting::kMessage, kCommon, "Message", "0"},
    {Setting::kPendingKind, kUpdates, "", "0"},
    {Setting::kProgramVersion, kUpdates, "ver", "0"},
    {Setting::kDatabaseVersion, kUpdates, "verPattern", "0"},
    {Setting::kToday, kUpdates, "today", "1"},
    {Setting::kRunAtStart, kRun, "TalvoAntiVirus", "0"},
};

TEST_F(SettingsTest, FreshProfileReadsEveryDefault) {
  for (const Place& place : kPlaces) {
    SCOPED_TRACE(place.name);
    EXPECT_EQ(settings_.Read(place.setting), place.fallback);
    EXPECT_EQ(settings_.Find(place.setting), std::nullopt);
  }
  for (const Setting flag : {Setting::kTray, Setting::kAgent, Setting::kAutoScan,
                             Setting::kAutoUpdate, Setting::kAutoRemedy}) {
    EXPECT_FALSE(settings_.IsOn(flag));
  }
  EXPECT_EQ(settings_.Server(), BuiltInServer());
}

TEST(SettingsPlaces, WriteAndRemoveReachTheSettingsOwnValue) {
  for (const Place& place : kPlaces) {
    SCOPED_TRACE(place.name);
    FakeRegistry registry;
    Settings settings(registry);
    settings.Write(place.setting, "written");
    EXPECT_EQ(registry.RawValue(kHkcu, place.key, place.name), Sz("written"));
    EXPECT_EQ(settings.Read(place.setting), "written");

    settings.Remove(place.setting);
    EXPECT_FALSE(registry.RawValue(kHkcu, place.key, place.name).has_value());
    EXPECT_EQ(settings.Read(place.setting), place.fallback);
  }
}

TEST_F(SettingsTest, NamesIgnoreLetterCase) {
  registry_.SetRaw(kHkcu, "SOFTWARE\\TalvoAntiVirus\\Updates", "VERPATTERN", Sz("1.0.6"));
  registry_.SetRaw(kHkcu, "software\\talvoantivirus\\common", "autoscan", Sz("True"));
  EXPECT_EQ(settings_.Read(Setting::kDatabaseVersion), "1.0.6");
  EXPECT_TRUE(settings_.IsOn(Setting::kAutoScan));
}

TEST_F(SettingsTest, FlagIsOnOnlyForExactlyTrue) {
  const struct {
    const char* text;
    bool on;
  } cases[] = {{"True", true},   {"true", false},  {"TRUE", false}, {"True ", false},
               {" True", false}, {"False", false}, {"1", false},    {"", false}};
  for (const auto& c : cases) {
    registry_.SetRaw(kHkcu, kCommon, "AutoRemedy", Sz(c.text));
    EXPECT_EQ(settings_.IsOn(Setting::kAutoRemedy), c.on) << '"' << c.text << '"';
  }
  settings_.WriteFlag(Setting::kAutoRemedy, false);
  EXPECT_EQ(registry_.RawValue(kHkcu, kCommon, "AutoRemedy"), Sz("False"));
  settings_.WriteFlag(Setting::kAutoRemedy, true);
  EXPECT_EQ(registry_.RawValue(kHkcu, kCommon, "AutoRemedy"), Sz("True"));
}

TEST_F(SettingsTest, ValueMustFitTwoHundredSixtyBytesWithItsTerminator) {
  settings_.Write(Setting::kLastScan, std::string(259, '9'));
  EXPECT_EQ(settings_.Read(Setting::kLastScan), std::string(259, '9'));
  settings_.Write(Setting::kLastScan, std::string(260, '9'));
  EXPECT_EQ(settings_.Read(Setting::kLastScan), "0000.00.00");
  EXPECT_EQ(settings_.Find(Setting::kLastScan), std::nullopt);
}

TEST_F(SettingsTest, ReadingOnAFreshProfileLeavesTheEmptyKeyBehind) {
  EXPECT_FALSE(settings_.IsOn(Setting::kTray));
  EXPECT_TRUE(registry_.KeyExists(kHkcu, kCommon));
  EXPECT_FALSE(registry_.RawValue(kHkcu, kCommon, "Tray").has_value());
  EXPECT_FALSE(registry_.KeyExists(kHkcu, kUpdates));
}

TEST_F(SettingsTest, ServerTakesOnlyAPlainHostWithAnOptionalPort) {
  const struct {
    const char* stored;
    bool used;
  } cases[] = {
      {"updates.test", true},
      {"updates.test:8080", true},
      {"10.0.0.7:1", true},
      {"my-host:65535", true},
      {"", false},
      {"a b", false},
      {"host:0", false},
      {"host:65536", false},
      {"host:70000", false},
      {"host:", false},
      {":80", false},
      {"http://x", false},
      {"host:80:81", false},
      {"host/path", false},
      {"host:8o", false},
  };
  for (const auto& c : cases) {
    settings_.Write(Setting::kServer, c.stored);
    EXPECT_EQ(settings_.Server(), c.used ? std::string(c.stored) : std::string(BuiltInServer()))
        << '"' << c.stored << '"';
  }
}

}  // namespace
}  // namespace tvac::base
