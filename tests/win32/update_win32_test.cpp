// The update path with the real WinINet, urlmon, registry and files, against the
// loopback HTTP server that with_loopback_server.sh starts for this test.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <sstream>

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

constexpr auto kTimeout = std::chrono::seconds(2);

std::string ReadFileBytes(const std::string& path) {
  platform::win32::Win32Files files;
  return files.ReadAll(path).value_or("<missing>");
}

class UpdateWin32Test : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(server_.empty()) << "run me through with_loopback_server.sh";
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\TalvoAntiVirus");
    DeleteFileW(Widen(root_ + "\\requests.log").c_str());
    WriteFileBytes(env_.Local("pattern.ini"), old_database_);
  }

  // Puts a file on the server, reachable as http://server/<name>.
  void Publish(const std::string& name, const std::string& bytes) {
    WriteFileBytes(root_ + "\\files\\" + name, bytes);
  }
  std::string Url(const std::string& path) { return "http://" + server_ + path; }
  void PublishDescription(const std::string& pattern_url, const std::string& program_url) {
    Publish("updates.ini", "[UPDATE]\r\nVER=3.8.16.54\r\nURL=" + program_url +
                               "\r\n[PATTERN]\r\nVER=1.0.6\r\nURL=" + pattern_url + "\r\n");
  }
  std::vector<std::string> LoggedRequests() {
    std::istringstream log(ReadFileBytes(root_ + "\\requests.log"));
    std::vector<std::string> lines;
    for (std::string line; std::getline(log, line);) lines.push_back(line);
    return lines;
  }
  std::string Stored(Setting setting) { return settings_.Find(setting).value_or("<absent>"); }

  const std::string server_ = Environment(L"TVAC_TEST_SERVER");
  const std::string root_ = Environment(L"TVAC_TEST_ROOT");
  const std::string new_database_ =
      fakes::PatternBuilder().Entry("Fresh", "new").File("C:\\fresh.exe#default#x").Build();
  const std::string old_database_ =
      fakes::PatternBuilder().Entry("Stale", "old").File("C:\\stale.exe#default#x").Build();

  platform::win32::Win32Files files_;
  platform::win32::Win32Registry registry_;
  platform::win32::Win32Network network_{kTimeout};
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

TEST_F(UpdateWin32Test, EveryStatisticsRequestReachesTheServer) {
  update::StatsPing(network_, update::StatsUrl(server_, StatsEvent::kRunScan));
  update::StatsPing(network_, update::StatsUrl(server_, StatsEvent::kRunScan));
  update::StatsPing(network_, update::StatsUrl(server_, StatsEvent::kUpdateCancel));
  EXPECT_EQ(LoggedRequests(),
            (std::vector<std::string>{"mode=run_scan&key=talv", "mode=run_scan&key=talv",
                                      "mode=update_cancel&key=talv"}));
}

TEST_F(UpdateWin32Test, DatabaseUpdateReplacesTheDatabaseAndRecordsItsVersion) {
  settings_.Write(Setting::kProgramVersion, "3.8.16.54");
  settings_.Write(Setting::kDatabaseVersion, "1.0.5");
  Publish("pattern.ini", new_database_);
  PublishDescription(Url("/pattern.ini"), Url("/tvac_update.exe"));

  update::CheckForUpdates(env_, windows_, false);
  EXPECT_EQ(Stored(Setting::kPendingKind), "PATTERN");
  EXPECT_EQ(update::RunUpdate(env_, windows_), update::UpdateOutcome::kDatabaseInstalled);

  EXPECT_EQ(ReadFileBytes(env_.Local("pattern.ini")), new_database_);
  EXPECT_EQ(Stored(Setting::kDatabaseVersion), "1.0.6");
  EXPECT_EQ(Stored(Setting::kPendingKind), "");
  EXPECT_EQ(Stored(Setting::kMessage), texts::kUpdateSucceeded);
  EXPECT_FALSE(PathExists(env_.Local("updates.ini")));
  EXPECT_FALSE(PathExists(env_.Local("pattern.ini.download")));
  EXPECT_EQ(windows_.last_percent, 100);
  EXPECT_EQ(LoggedRequests(), std::vector<std::string>{"mode=update_ok&key=talv"});
  EXPECT_TRUE(shell_.opened.empty());
}

TEST_F(UpdateWin32Test, FailedDatabaseDownloadLeavesTheOldDatabaseAndTheKindPending) {
  Publish("pattern.ini", new_database_);
  Publish("broken.ini", "[TotalCount]\r\nCount=0\r\n");
  for (const char* path :
       {"/missing.ini", "/cut/pattern.ini", "/stall/pattern.ini", "/broken.ini"}) {
    SCOPED_TRACE(path);
    settings_.Write(Setting::kPendingKind, "PATTERN");
    settings_.Write(Setting::kDatabaseVersion, "1.0.5");
    WriteFileBytes(env_.Local("updates.ini"),
                   "[PATTERN]\r\nVER=1.0.6\r\nURL=" + Url(path) + "\r\n");

    EXPECT_EQ(update::RunUpdate(env_, windows_), update::UpdateOutcome::kFailed);
    EXPECT_EQ(ReadFileBytes(env_.Local("pattern.ini")), old_database_);
    EXPECT_EQ(Stored(Setting::kDatabaseVersion), "1.0.5");
    EXPECT_EQ(Stored(Setting::kPendingKind), "PATTERN");
    EXPECT_EQ(Stored(Setting::kMessage), texts::kUpdateFailed);
    EXPECT_FALSE(PathExists(env_.Local("pattern.ini.download")));
  }
}

TEST_F(UpdateWin32Test, ProgramUpdateSavesTheInstallerAndStartsItAfterTheMessage) {
  const std::string installer = "MZ installer stand-in";
  Publish("tvac_update.exe", installer);
  PublishDescription(Url("/pattern.ini"), Url("/tvac_update.exe"));

  update::CheckForUpdates(env_, windows_, false);
  EXPECT_EQ(Stored(Setting::kPendingKind), "UPDATE");
  EXPECT_EQ(update::RunUpdate(env_, windows_), update::UpdateOutcome::kProgramInstalled);

  EXPECT_EQ(ReadFileBytes(env_.Local("tvac_update.exe")), installer);
  EXPECT_EQ(Stored(Setting::kProgramVersion), "3.8.16.54");
  EXPECT_EQ(shell_.opened, std::vector<std::string>{env_.Local("tvac_update.exe")});
  EXPECT_TRUE(shell_.shown);
}

TEST_F(UpdateWin32Test, MissingDatabaseIsFetchedAtStartUp) {
  DeleteFileW(Widen(env_.Local("pattern.ini")).c_str());
  Publish("pattern.ini", new_database_);
  PublishDescription(Url("/pattern.ini"), Url("/tvac_update.exe"));

  agent::StartupState state;
  agent::StartupChecks(env_, windows_, state);
  EXPECT_EQ(ReadFileBytes(env_.Local("pattern.ini")), new_database_);
  EXPECT_EQ(Stored(Setting::kDatabaseVersion), "1.0.6");
  EXPECT_TRUE(PathExists(env_.Local("updates.ini")));
}

TEST_F(UpdateWin32Test, DownloadsFailCleanlyAndWithinTheTimeOut) {
  Publish("big.bin", std::string(1000, 'b'));
  const std::string target = env_.Local("download.bin");
  struct Case {
    std::string url;
    std::uint64_t limit;
  };
  for (const Case& c : {Case{Url("/missing.bin"), 4096}, Case{Url("/cut/big.bin"), 4096},
                        Case{Url("/stall/big.bin"), 4096}, Case{Url("/big.bin"), 999},
                        Case{"http://127.0.0.1:1/big.bin", 4096}}) {
    SCOPED_TRACE(c.url);
    WriteFileBytes(target, "earlier");
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(network_.Download(c.url, target, c.limit, nullptr));
    EXPECT_LT(std::chrono::steady_clock::now() - start, 4 * kTimeout);
    EXPECT_FALSE(PathExists(target));
  }
  EXPECT_TRUE(network_.Download(Url("/big.bin"), target, 1000, nullptr));
  EXPECT_EQ(ReadFileBytes(target), std::string(1000, 'b'));
}

TEST_F(UpdateWin32Test, RequestsToAnUnresponsiveServerEndWithinTheTimeOut) {
  for (const std::string& url : {Url("/stall/request"), std::string("http://127.0.0.1:1/x")}) {
    SCOPED_TRACE(url);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(network_.Request(url));
    EXPECT_LT(std::chrono::steady_clock::now() - start, 4 * kTimeout);
  }
  EXPECT_TRUE(network_.Request(Url("/missing-page")));  // a 404 is still an answer
}

}  // namespace
}  // namespace tvac
