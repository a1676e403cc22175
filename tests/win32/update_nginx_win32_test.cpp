// The whole update path against the update server as it is deployed: nginx with
// server/nginx.conf, serving a tree published with tvac-publish, which
// with_nginx.sh sets up for this test. Real WinINet, urlmon, registry and files.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>

#include "agent/startup.h"
#include "base/settings.h"
#include "base/texts.h"
#include "fakes/pattern_builder.h"
#include "platform/win32/codepage.h"
#include "platform/win32/files_win32.h"
#include "platform/win32/network_win32.h"
#include "platform/win32/registry_win32.h"
#include "scan/pattern_database.h"
#include "test_support.h"
#include "update_test_support.h"
#include "update/stats.h"
#include "update/update_check.h"
#include "update/update_worker.h"

namespace tvac {
namespace {

using base::Setting;
using platform::win32::Narrow;
using platform::win32::Widen;
using testing_win32::Environment;
using testing_win32::PathExists;
using testing_win32::RecordingShell;
using testing_win32::RecordingWindows;
using testing_win32::WriteFileBytes;
using update::StatsEvent;

class UpdateNginxWin32Test : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(server_.empty()) << "run me through with_nginx.sh";
    ASSERT_FALSE(pattern_version_.empty());
    ASSERT_FALSE(program_version_.empty());
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\TalvoAntiVirus");
    WriteFileBytes(env_.Local("pattern.ini"), installed_database_);
  }

  std::string Read(const std::string& path) { return files_.ReadAll(path).value_or("<missing>"); }
  // A file of the published tree, as nginx serves it.
  std::string Published(const std::string& name) { return Read(root_ + "\\site\\update\\" + name); }
  std::string Stored(Setting setting) { return settings_.Find(setting).value_or("<absent>"); }

  const std::string server_ = Environment(L"TVAC_TEST_SERVER");
  const std::string root_ = Environment(L"TVAC_TEST_ROOT");
  const std::string pattern_version_ = Environment(L"TVAC_TEST_PATTERN_VERSION");
  const std::string program_version_ = Environment(L"TVAC_TEST_PROGRAM_VERSION");
  const std::string installed_database_ =
      fakes::PatternBuilder().Entry("Stale", "old").File("C:\\stale.exe#default#x").Build();

  platform::win32::Win32Files files_;
  platform::win32::Win32Registry registry_;
  platform::win32::Win32Network network_{std::chrono::seconds(10)};
  platform::win32::Win32Clock clock_;
  RecordingShell shell_;
  RecordingWindows windows_;
  base::Settings settings_{registry_};
  update::UpdateEnv env_{files_,
                         network_,
                         clock_,
                         shell_,
                         settings_,
                         testing_win32::ScratchFolder(
                             ::testing::UnitTest::GetInstance()->current_test_info()->name()) +
                             "\\",
                         server_,
                         scan::IsUsableDatabase};
};

TEST_F(UpdateNginxWin32Test, TheCheckFindsTheNewerDatabaseAndTheWorkerPutsItInPlace) {
  settings_.Write(Setting::kProgramVersion, program_version_);
  settings_.Write(Setting::kDatabaseVersion, "1.0.5");

  update::CheckForUpdates(env_, windows_, false);
  EXPECT_EQ(Stored(Setting::kPendingKind), "PATTERN");
  EXPECT_EQ(windows_.calls, (std::vector<std::string>{"open dialog", "sound"}));
  EXPECT_EQ(Read(env_.Local("updates.ini")), Published("updates.ini"));

  EXPECT_EQ(update::RunUpdate(env_, windows_), update::UpdateOutcome::kDatabaseInstalled);
  const std::string published = Published("pattern-" + pattern_version_ + ".ini");
  ASSERT_NE(published, "<missing>");
  EXPECT_EQ(Read(env_.Local("pattern.ini")), published);
  EXPECT_EQ(Stored(Setting::kDatabaseVersion), pattern_version_);
  EXPECT_EQ(Stored(Setting::kPendingKind), "");
  EXPECT_EQ(Stored(Setting::kMessage), texts::kUpdateSucceeded);
  EXPECT_FALSE(PathExists(env_.Local("updates.ini")));
  EXPECT_FALSE(PathExists(env_.Local("pattern.ini.download")));
  EXPECT_EQ(windows_.last_percent, 100);
  EXPECT_TRUE(shell_.opened.empty());
  // The agent now scans the published sample database.
  EXPECT_EQ(scan::PatternDatabase::Load(files_, env_.Local("pattern.ini")).EntryCount(), 4);
}

TEST_F(UpdateNginxWin32Test, AnOlderProgramFetchesThePublishedInstallerAndStartsIt) {
  settings_.Write(Setting::kProgramVersion, "3.8.16.53");
  settings_.Write(Setting::kDatabaseVersion, pattern_version_);

  update::CheckForUpdates(env_, windows_, false);
  EXPECT_EQ(Stored(Setting::kPendingKind), "UPDATE");
  EXPECT_EQ(update::RunUpdate(env_, windows_), update::UpdateOutcome::kProgramInstalled);

  const std::string installer = Published("tvac-setup-" + program_version_ + ".exe");
  ASSERT_NE(installer, "<missing>");
  EXPECT_EQ(Read(env_.Local("tvac_update.exe")), installer);
  EXPECT_EQ(Stored(Setting::kProgramVersion), program_version_);
  EXPECT_EQ(shell_.opened, std::vector<std::string>{env_.Local("tvac_update.exe")});
  EXPECT_EQ(Read(env_.Local("pattern.ini")), installed_database_);
}

TEST_F(UpdateNginxWin32Test, AMissingDatabaseIsFetchedAtStartUp) {
  DeleteFileW(Widen(env_.Local("pattern.ini")).c_str());
  agent::StartupState state;
  agent::StartupChecks(env_, windows_, state);
  EXPECT_EQ(Read(env_.Local("pattern.ini")), Published("pattern-" + pattern_version_ + ".ini"));
  EXPECT_EQ(Stored(Setting::kDatabaseVersion), pattern_version_);
}

// with_nginx.sh counts the events in nginx's statistics log once the test has ended:
// one run_exe, one run_scan, and the update_ok of each update above.
TEST_F(UpdateNginxWin32Test, StatisticsEventsAreAnswered) {
  EXPECT_TRUE(network_.Request(update::StatsUrl(server_, StatsEvent::kRunExe)));
  update::StatsPing(network_, update::StatsUrl(server_, StatsEvent::kRunScan));
}

}  // namespace
}  // namespace tvac
