#include "update/update_worker.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <map>

#include "base/texts.h"
#include "fakes/fake_update_ui.h"
#include "update/stats.h"

namespace tvac::update {
namespace {

using base::Setting;
using fakes::FakeUpdateEnv;
using Failure = fakes::FakeNetwork::Failure;

TEST(DownloadPercent, TruncatesAndNeverPassesOneHundred) {
  constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();
  const struct {
    std::uint64_t done, total;
    int percent;
  } cases[] = {
      {0, 0, 0},
      {7, 0, 0},
      {kMax, 0, 0},
      {0, 3, 0},
      {1, 3, 33},
      {2, 3, 66},
      {999, 1000, 99},
      {1000, 1000, 100},
      {1001, 1000, 100},
      {kMax, 1, 100},
      {4'999'999'999, 5'000'000'000, 99},
      {std::uint64_t{1} << 62, std::uint64_t{1} << 63, 50},
      {std::uint64_t{3} << 61, std::uint64_t{1} << 63, 75},
      {1, kMax, 0},
      {kMax, kMax, 100},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DownloadPercent(c.done, c.total), c.percent) << c.done << " of " << c.total;
  }
}

class RunUpdateTest : public testing::Test {
 protected:
  static constexpr char kOldDatabase[] = "[TotalCount]\r\nCount=1\r\n; the installed one\r\n";
  static constexpr char kInstaller[] = "MZ\x90 installer";

  // A database update from 1.0.5 to 1.0.6 is pending.
  void PendDatabase() {
    f_.settings.Write(Setting::kPendingKind, "PATTERN");
    f_.settings.Write(Setting::kDatabaseVersion, "1.0.5");
    f_.files.AddFile(f_.env.Local("pattern.ini"), kOldDatabase);
    f_.files.AddFile(f_.env.Local("updates.ini"),
                     fakes::Description("3.8.16.53", "1.0.6", "0", fakes::kDatabaseUrl));
  }
  // A program update from 3.8.16.53 to 3.8.16.54 is pending.
  void PendProgram(std::string_view url = fakes::kInstallerUrl) {
    f_.settings.Write(Setting::kPendingKind, "UPDATE");
    f_.settings.Write(Setting::kProgramVersion, "3.8.16.53");
    f_.files.AddFile(f_.env.Local("updates.ini"), fakes::Description("3.8.16.54", "1.0.5", url));
  }

  // Everything in the program folder: names and contents.
  std::map<std::string, std::string> Snapshot() {
    std::map<std::string, std::string> files;
    for (const std::string& name : f_.AppFolder()) {
      files[name] = f_.files.ReadAll(f_.env.Local(name)).value_or("?");
    }
    return files;
  }

  // The log of a run that fetched `url` into `target` (when given) and then said `text`.
  static std::vector<std::string> ExpectedLog(std::string_view url, std::string_view target,
                                              std::string_view text,
                                              std::initializer_list<std::string> between = {}) {
    std::vector<std::string> log = {"request " +
                                    StatsUrl(FakeUpdateEnv::kServer, StatsEvent::kUpdateOk)};
    if (!target.empty()) {
      for (std::string& line : FakeUpdateEnv::Fetch(url, target)) log.push_back(std::move(line));
    }
    log.insert(log.end(), between);
    log.insert(log.end(), {"close", "message " + std::string(text)});
    return log;
  }

  FakeUpdateEnv f_;
};

TEST_F(RunUpdateTest, DatabaseUpdateReplacesTheDatabase) {
  PendDatabase();
  const std::string database = fakes::UsableDatabase("2011.05.06");
  f_.network.Serve(fakes::kDatabaseUrl, database);

  EXPECT_EQ(RunUpdate(f_.env, f_.port), UpdateOutcome::kDatabaseInstalled);

  EXPECT_EQ(f_.log,
            ExpectedLog(fakes::kDatabaseUrl, "pattern.ini", texts::kUpdateSucceeded, {"reload"}));
  EXPECT_EQ(f_.network.limits, std::vector<std::uint64_t>{kDownloadLimit});
  EXPECT_EQ(Snapshot(), (std::map<std::string, std::string>{{"pattern.ini", database}}));
  EXPECT_EQ(f_.settings.Find(Setting::kDatabaseVersion), "1.0.6");
  EXPECT_EQ(f_.settings.Find(Setting::kPendingKind), "");
  EXPECT_TRUE(f_.shell.calls.empty());

  const std::vector<int>& percents = f_.port.percents;
  ASSERT_FALSE(percents.empty());
  EXPECT_EQ(percents.front(), 0);
  EXPECT_EQ(percents.back(), 100);
  EXPECT_TRUE(std::is_sorted(percents.begin(), percents.end()));
}

TEST_F(RunUpdateTest, ProgramUpdateStartsTheInstallerAfterTheMessage) {
  PendProgram();
  f_.network.Serve(fakes::kInstallerUrl, kInstaller);

  EXPECT_EQ(RunUpdate(f_.env, f_.port), UpdateOutcome::kProgramInstalled);

  std::vector<std::string> expected =
      ExpectedLog(fakes::kInstallerUrl, "tvac_update.exe", texts::kUpdateSucceeded);
  expected.push_back("open C:\\Program Files\\Talvo\\tvac_update.exe");
  EXPECT_EQ(f_.log, expected);
  ASSERT_EQ(f_.shell.calls.size(), 1u);
  EXPECT_EQ(f_.shell.calls[0].parameters, "");
  EXPECT_EQ(f_.shell.calls[0].show, platform::ShowWindow::kShown);
  EXPECT_EQ(f_.network.limits, std::vector<std::uint64_t>{kDownloadLimit});
  EXPECT_EQ(Snapshot(), (std::map<std::string, std::string>{{"tvac_update.exe", kInstaller}}));
  EXPECT_EQ(f_.settings.Find(Setting::kProgramVersion), "3.8.16.54");
  EXPECT_EQ(f_.settings.Find(Setting::kPendingKind), "");
}

TEST_F(RunUpdateTest, SizeTheServerDoesNotNameShowsAsZero) {
  PendDatabase();
  f_.network.ServeUnannounced(fakes::kDatabaseUrl, fakes::UsableDatabase(""));

  EXPECT_EQ(RunUpdate(f_.env, f_.port), UpdateOutcome::kDatabaseInstalled);

  ASSERT_FALSE(f_.port.percents.empty());
  EXPECT_EQ(std::count(f_.port.percents.begin(), f_.port.percents.end(), 0),
            static_cast<std::ptrdiff_t>(f_.port.percents.size()));
}

TEST_F(RunUpdateTest, UnknownKindDownloadsNothing) {
  for (const char* kind : {static_cast<const char*>(nullptr), "", "update", "pattern"}) {
    SCOPED_TRACE(kind ? kind : "(absent)");
    f_.log.clear();
    f_.files.AddFile(f_.env.Local("updates.ini"), fakes::Description("9", "9"));
    f_.settings.Remove(Setting::kPendingKind);
    if (kind) f_.settings.Write(Setting::kPendingKind, kind);

    EXPECT_EQ(RunUpdate(f_.env, f_.port), UpdateOutcome::kNothingPending);

    EXPECT_EQ(f_.log, ExpectedLog("", "", texts::kUpdateSucceeded));
    EXPECT_TRUE(f_.AppFolder().empty());
    EXPECT_EQ(f_.settings.Find(Setting::kPendingKind), "");
    EXPECT_EQ(f_.settings.Find(Setting::kProgramVersion), std::nullopt);
    EXPECT_EQ(f_.settings.Find(Setting::kDatabaseVersion), std::nullopt);
  }
}

struct FailureCase {
  const char* name;
  PendingKind kind;
  const char* body;  // nullptr: a usable database
  Failure failure;
  bool replace_fails = false;
  bool unpublished = false;  // the description names no URL
};
// Names the case in test listings instead of dumping its bytes.
void PrintTo(const FailureCase& c, std::ostream* out) {
  *out << c.name;
}

const FailureCase kFailureCases[] = {
    {"DatabaseNotFound", PendingKind::kDatabase, nullptr, Failure::kNotFound},
    {"DatabaseCutOff", PendingKind::kDatabase, nullptr, Failure::kCutOff},
    {"DatabaseTimedOut", PendingKind::kDatabase, nullptr, Failure::kTimedOut},
    {"NotADatabase", PendingKind::kDatabase, "<html><body>Welcome</body></html>", Failure::kNone},
    {"EmptyDatabase", PendingKind::kDatabase, "[TotalCount]\r\nCount=0\r\n", Failure::kNone},
    {"DatabaseInUse", PendingKind::kDatabase, nullptr, Failure::kNone, true},
    {"InstallerNotFound", PendingKind::kProgram, "MZ", Failure::kNotFound},
    {"InstallerCutOff", PendingKind::kProgram, "MZ", Failure::kCutOff},
    {"InstallerInUse", PendingKind::kProgram, "MZ", Failure::kNone, true},
    {"InstallerNotPublished", PendingKind::kProgram, "MZ", Failure::kNone, false, true},
};

class RunUpdateFailureTest : public RunUpdateTest,
                             public testing::WithParamInterface<FailureCase> {};

TEST_P(RunUpdateFailureTest, ChangesNothingAndSaysSo) {
  const FailureCase& c = GetParam();
  const bool database = c.kind == PendingKind::kDatabase;
  const std::string url = database ? fakes::kDatabaseUrl : fakes::kInstallerUrl;
  if (database) {
    PendDatabase();
  } else {
    PendProgram(c.unpublished ? "0" : fakes::kInstallerUrl);
  }
  f_.network.Serve(url, c.body ? c.body : fakes::UsableDatabase("2011.05.06"), c.failure);
  f_.files.FailReplace(c.replace_fails);
  const auto before = Snapshot();

  EXPECT_EQ(RunUpdate(f_.env, f_.port), UpdateOutcome::kFailed);

  const std::string fetched = c.unpublished ? "0" : url;
  EXPECT_EQ(f_.log, ExpectedLog(fetched, database ? "pattern.ini" : "tvac_update.exe",
                                texts::kUpdateFailed));
  EXPECT_EQ(Snapshot(), before);
  EXPECT_EQ(f_.settings.Find(Setting::kPendingKind), KindText(c.kind));
  using Text = std::optional<std::string>;
  EXPECT_EQ(f_.settings.Find(Setting::kDatabaseVersion), database ? Text("1.0.5") : std::nullopt);
  EXPECT_EQ(f_.settings.Find(Setting::kProgramVersion),
            database ? std::nullopt : Text("3.8.16.53"));
}

INSTANTIATE_TEST_SUITE_P(Cases, RunUpdateFailureTest, testing::ValuesIn(kFailureCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tvac::update
