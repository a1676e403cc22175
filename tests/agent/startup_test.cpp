#include "agent/startup.h"

#include <gtest/gtest.h>

#include "base/texts.h"
#include "fakes/fake_update_ui.h"
#include "update/stats.h"

namespace tvac::agent {
namespace {

using base::Setting;
using fakes::Description;
using fakes::FakeUpdateEnv;
using Failure = fakes::FakeNetwork::Failure;
using Names = std::vector<std::string>;
using update::kDownloadLimit;
using update::kUpdatesIniLimit;

const std::string kUpdatesUrl = update::UpdatesUrl(FakeUpdateEnv::kServer);

// The main window as the start-up sequence sees it: a scan it starts is written
// into the update fakes' shared log as "scan".
class RecordingStartup : public StartupHost {
 public:
  explicit RecordingStartup(fakes::CallLog& log) : log_(log) {}
  void StartScan() override { log_.push_back("scan"); }

 private:
  fakes::CallLog& log_;
};

class StartupChecksTest : public testing::Test {
 protected:
  StartupState Run() {
    StartupState state;
    StartupChecks(f_.env, host_, state);
    return state;
  }
  void AddDatabase() { f_.files.AddFile(f_.env.Local("pattern.ini"), fakes::UsableDatabase("")); }
  void ServeDatabase(std::string body, Failure failure = Failure::kNone) {
    f_.network.Serve(kUpdatesUrl, Description("3.8.16.54", "1.0.6", "0", fakes::kDatabaseUrl));
    f_.network.Serve(fakes::kDatabaseUrl, std::move(body), failure);
  }

  FakeUpdateEnv f_;
  RecordingStartup host_{f_.log};
};

TEST_F(StartupChecksTest, ReportsTheLastScanAndTheDatabaseDateWithoutItsLabel) {
  const std::string label(texts::kDbDateLabel);
  f_.files.AddFile(f_.env.Local("pattern.ini"),
                   fakes::UsableDatabase(label + label + "2011.05.05"));
  f_.settings.Write(Setting::kLastScan, "2011.05.01");

  const StartupState state = Run();

  EXPECT_EQ(state.last_scan, "2011.05.01");
  EXPECT_EQ(state.db_info, "2011.05.05");
  EXPECT_TRUE(f_.log.empty());  // a database in place needs no network
}

TEST_F(StartupChecksTest, UpdateCheckThenStartReportsOnlyWhenOnline) {
  AddDatabase();
  f_.settings.Write(Setting::kAutoScan, "True");
  f_.settings.Write(Setting::kToday, "110504");
  // The server is not there: nothing is pending and no description is left.
  std::vector<std::string> check = FakeUpdateEnv::Fetch(kUpdatesUrl, "updates.ini");
  check.insert(check.begin(), "scan");
  StartupState state;
  StartupChecks(f_.env, host_, state);
  StartupReports(f_.env, f_.ui, false);
  EXPECT_EQ(f_.log, check);

  f_.log.clear();
  StartupChecks(f_.env, host_, state);
  StartupReports(f_.env, f_.ui, true);
  check.push_back("request http://updates.test/request/count.php?mode=run_exe&key=talv");
  check.push_back("request http://updates.test/request/count.php?mode=update_run&key=talv");
  EXPECT_EQ(f_.log, check);
  EXPECT_EQ(f_.AppFolder(), Names{"pattern.ini"});
}

TEST_F(StartupChecksTest, PendingUpdateOpensTheDialogAtStart) {
  AddDatabase();
  f_.network.Serve(kUpdatesUrl, Description("3.8.16.54", "1.0.6", "0", fakes::kDatabaseUrl));
  StartupReports(f_.env, f_.ui, false);
  EXPECT_EQ(f_.log.back(), "sound C:\\Program Files\\Talvo\\update.wav");
  EXPECT_EQ(f_.log[f_.log.size() - 2], "dialog");
  EXPECT_EQ(f_.settings.Read(Setting::kPendingKind), "UPDATE");
}

TEST_F(StartupChecksTest, FreshProfileHasNeverScanned) {
  AddDatabase();
  EXPECT_EQ(Run().last_scan, "0000.00.00");
}

TEST_F(StartupChecksTest, RunValueAndAutoScanFlag) {
  const struct {
    const char* run;  // nullptr when absent
    const char* auto_scan;
    bool at_start;
    bool scans;
  } cases[] = {
      {nullptr, nullptr, false, false},
      {"0", "True", false, true},
      {"C:\\Program Files\\Talvo\\tvac.exe", "true", true, false},
      {"anything", "TRUE", true, false},
      {"", "True ", true, false},
      {"0 ", "False", true, false},
  };
  AddDatabase();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.run ? c.run : "(absent)");
    f_.log.clear();
    f_.settings.Remove(Setting::kRunAtStart);
    f_.settings.Remove(Setting::kAutoScan);
    if (c.run) f_.settings.Write(Setting::kRunAtStart, c.run);
    if (c.auto_scan) f_.settings.Write(Setting::kAutoScan, c.auto_scan);

    EXPECT_EQ(Run().run_at_start, c.at_start);
    EXPECT_EQ(f_.log, c.scans ? Names{"scan"} : Names{});
  }
}

TEST_F(StartupChecksTest, FetchesAMissingDatabaseAndRecordsItsPublishedVersion) {
  const std::string database =
      fakes::UsableDatabase(std::string(texts::kDbDateLabel) + "2011.05.05");
  ServeDatabase(database);

  const StartupState state = Run();

  std::vector<std::string> expected = FakeUpdateEnv::Fetch(kUpdatesUrl, "updates.ini");
  for (std::string& line : FakeUpdateEnv::Fetch(fakes::kDatabaseUrl, "pattern.ini")) {
    expected.push_back(std::move(line));
  }
  EXPECT_EQ(f_.log, expected);
  EXPECT_EQ(f_.network.limits, (std::vector<std::uint64_t>{kUpdatesIniLimit, kDownloadLimit}));
  EXPECT_EQ(f_.files.ReadAll(f_.env.Local("pattern.ini")), database);
  EXPECT_EQ(f_.settings.Find(Setting::kDatabaseVersion), "1.0.6");
  EXPECT_EQ(state.db_info, "2011.05.05");
  // The description stays for the update check that follows.
  EXPECT_EQ(f_.AppFolder(), (Names{"pattern.ini", "updates.ini"}));
}

TEST(StartupChecksFetch, DatabaseThatDoesNotArriveWholeIsNotInstalled) {
  const struct {
    const char* name;
    std::string body;
    Failure failure;
  } cases[] = {
      {"not found", fakes::UsableDatabase(""), Failure::kNotFound},
      {"cut off", fakes::UsableDatabase(""), Failure::kCutOff},
      {"timed out", fakes::UsableDatabase(""), Failure::kTimedOut},
      {"no entries", fakes::PatternBuilder().Count("0").Build(), Failure::kNone},
      {"not a database", "<html><body>Welcome</body></html>", Failure::kNone},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FakeUpdateEnv f;
    f.network.Serve(kUpdatesUrl, Description("3.8.16.54", "1.0.6", "0", fakes::kDatabaseUrl));
    f.network.Serve(fakes::kDatabaseUrl, c.body, c.failure);
    RecordingStartup host{f.log};
    StartupState state;

    StartupChecks(f.env, host, state);

    EXPECT_EQ(f.AppFolder(), Names{"updates.ini"});
    EXPECT_EQ(f.settings.Find(Setting::kDatabaseVersion), std::nullopt);
    EXPECT_EQ(state.db_info, "");
  }
}

}  // namespace
}  // namespace tvac::agent
