#include "update/update_check.h"

#include <gtest/gtest.h>

#include <limits>

#include "app/texts.h"
#include "fakes/fake_update_ui.h"
#include "update/stats.h"

namespace tvac::update {
namespace {

using app::Setting;
using fakes::Description;
using fakes::FakeUpdateEnv;
using Failure = fakes::FakeNetwork::Failure;
using Names = std::vector<std::string>;

const std::string kUpdatesUrl = UpdatesUrl(FakeUpdateEnv::kServer);

std::string Message(std::string_view text) {
  return "message " + std::string(text);
}

TEST(VersionNumber, DropsTheDotsAndReadsTheLeadingNumber) {
  constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
  constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
  const struct {
    const char* text;
    std::int32_t number;
  } cases[] = {
      {"3.8.16.53", 381653},
      {"38.16.53", 381653},
      {"3.9.0.0", 3900},
      {"0", 0},
      {"", 0},
      {"...", 0},
      {"abc", 0},
      {" 3.9", 39},
      {"\t1.0.6", 106},
      {"-1.2", -12},
      {"+1.2", 12},
      {"1.0.6b", 106},
      {"1.0 6", 10},
      {"- 1", 0},
      {"9.999.999.999", kMax},
      {"-99999999999", kMin},
  };
  for (const auto& c : cases) EXPECT_EQ(VersionNumber(c.text), c.number) << '"' << c.text << '"';
  // Only the digits count, so a version with fewer of them is older.
  EXPECT_LT(VersionNumber("3.9.0.0"), VersionNumber("3.8.16.53"));
}

TEST(DecidePending, ANewerProgramComesFirst) {
  const struct {
    std::int32_t program_installed, program_available, database_installed, database_available;
    PendingKind kind;
  } cases[] = {
      {381653, 381654, 105, 106, PendingKind::kProgram},
      {381653, 381654, 106, 106, PendingKind::kProgram},
      {381654, 381654, 105, 106, PendingKind::kDatabase},
      {381655, 381654, 105, 106, PendingKind::kDatabase},
      {381654, 381654, 106, 106, PendingKind::kNone},
      {381655, 381654, 107, 106, PendingKind::kNone},
      {-12, 0, 0, 0, PendingKind::kProgram},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DecidePending(c.program_installed, c.program_available, c.database_installed,
                            c.database_available),
              c.kind)
        << c.program_installed << " " << c.program_available << " " << c.database_installed << " "
        << c.database_available;
  }
}

// Where the update check finds the description.
enum class Source {
  kServer,               // the server answers
  kServerOverStaleCopy,  // the server answers; a copy offering more is left from before
  kCopyOnly,             // the server cannot be reached; a cancelled dialog left a copy
  kNowhere,              // the server cannot be reached and there is no copy
};

// What the user gets to see.
enum class Shown { kDialog, kLatest, kFailed, kNothing };

struct CheckCase {
  const char* name;
  const char* program;  // installed; nullptr when never recorded
  const char* database;
  const char* kind_before;  // the stored pending kind; nullptr when absent
  const char* program_offered;
  const char* database_offered;
  Source source;
  bool announce;
  const char* kind_after;
  Shown shown;
};
// Names the case in test listings instead of dumping its bytes.
void PrintTo(const CheckCase& c, std::ostream* out) {
  *out << c.name;
}

const CheckCase kCheckCases[] = {
    {"ProgramNewer", "3.8.16.53", "1.0.5", nullptr, "3.8.16.54", "1.0.6", Source::kServer, true,
     "UPDATE", Shown::kDialog},
    {"DatabaseNewer", "3.8.16.54", "1.0.5", nullptr, "3.8.16.54", "1.0.6", Source::kServer, true,
     "PATTERN", Shown::kDialog},
    {"FreshProfile", nullptr, nullptr, nullptr, "0.0.1", "0.0.1", Source::kServer, false, "UPDATE",
     Shown::kDialog},
    {"NewKindReplacesAStaleOne", "3.8.16.53", "1.0.6", "PATTERN", "3.8.16.54", "1.0.6",
     Source::kServer, false, "UPDATE", Shown::kDialog},
    {"CurrentWhenAsked", "3.8.16.54", "1.0.6", nullptr, "3.8.16.54", "1.0.6", Source::kServer, true,
     nullptr, Shown::kLatest},
    {"CurrentAtStartUp", "3.8.16.54", "1.0.6", nullptr, "3.8.16.54", "1.0.6", Source::kServer,
     false, nullptr, Shown::kNothing},
    {"InstalledNewerThanOffered", "3.8.16.55", "1.0.7", nullptr, "3.8.16.54", "1.0.6",
     Source::kServer, true, nullptr, Shown::kLatest},
    {"SameDigitsOtherDots", "38.16.53", "10.6", nullptr, "3.8.16.53", "1.0.6", Source::kServer,
     true, nullptr, Shown::kLatest},
    {"StaleKindStaysWhenNothingIsPending", "3.8.16.54", "1.0.6", "PATTERN", "3.8.16.54", "1.0.6",
     Source::kServer, false, "PATTERN", Shown::kNothing},
    {"FetchedDescriptionReplacesAStaleCopy", "3.8.16.54", "1.0.6", nullptr, "3.8.16.54", "1.0.6",
     Source::kServerOverStaleCopy, true, nullptr, Shown::kLatest},
    {"CopyOfACancelledDialogOffersAgain", "3.8.16.53", "1.0.6", nullptr, "3.8.16.54", "1.0.6",
     Source::kCopyOnly, true, "UPDATE", Shown::kDialog},
    {"CopyOfACancelledDialogIsCurrent", "3.8.16.54", "1.0.6", nullptr, "3.8.16.54", "1.0.6",
     Source::kCopyOnly, true, nullptr, Shown::kLatest},
    {"UnreachableWhenAsked", "3.8.16.54", "1.0.6", nullptr, "3.8.16.55", "1.0.7", Source::kNowhere,
     true, nullptr, Shown::kFailed},
    {"UnreachableAtStartUp", "3.8.16.54", "1.0.6", nullptr, "3.8.16.55", "1.0.7", Source::kNowhere,
     false, nullptr, Shown::kNothing},
};

class CheckForUpdatesTest : public testing::TestWithParam<CheckCase> {
 protected:
  FakeUpdateEnv f_;
};

TEST_P(CheckForUpdatesTest, RecordsTheKindAndTellsTheUser) {
  const CheckCase& c = GetParam();
  if (c.program) f_.settings.Write(Setting::kProgramVersion, c.program);
  if (c.database) f_.settings.Write(Setting::kDatabaseVersion, c.database);
  if (c.kind_before) f_.settings.Write(Setting::kPendingKind, c.kind_before);
  const std::string offer = Description(c.program_offered, c.database_offered);
  const std::string description = f_.env.Local("updates.ini");
  switch (c.source) {
    case Source::kServer:
      f_.network.Serve(kUpdatesUrl, offer);
      break;
    case Source::kServerOverStaleCopy:
      f_.network.Serve(kUpdatesUrl, offer);
      f_.files.AddFile(description, Description("99.9.9.9", "99.9.9"));
      break;
    case Source::kCopyOnly:
      f_.files.AddFile(description, offer);
      break;
    case Source::kNowhere:
      break;
  }

  CheckForUpdates(f_.env, f_.ui, c.announce);

  std::vector<std::string> expected = FakeUpdateEnv::Fetch(kUpdatesUrl, "updates.ini");
  switch (c.shown) {
    case Shown::kDialog:
      expected.insert(expected.end(), {"dialog", "sound C:\\Program Files\\Talvo\\update.wav"});
      break;
    case Shown::kLatest:
      expected.push_back(Message(texts::kUpdateLatest));
      break;
    case Shown::kFailed:
      expected.push_back(Message(texts::kUpdateFailed));
      break;
    case Shown::kNothing:
      break;
  }
  EXPECT_EQ(f_.log, expected);
  EXPECT_EQ(f_.settings.Find(Setting::kPendingKind),
            c.kind_after ? std::optional<std::string>(c.kind_after) : std::nullopt);
  // The description stays for the update dialog only.
  if (c.shown == Shown::kDialog) {
    EXPECT_EQ(f_.AppFolder(), Names{"updates.ini"});
    EXPECT_EQ(f_.files.ReadAll(description), offer);
  } else {
    EXPECT_EQ(f_.AppFolder(), Names{});
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, CheckForUpdatesTest, testing::ValuesIn(kCheckCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(CheckForUpdatesLimit, DescriptionLargerThan64KiBIsAFailure) {
  for (const std::uint64_t size : {kUpdatesIniLimit, kUpdatesIniLimit + 1}) {
    SCOPED_TRACE(size);
    FakeUpdateEnv f;
    std::string body = Description("3.8.16.54", "1.0.6");
    body.append(size - body.size(), ';');  // one long line without a value
    f.network.Serve(kUpdatesUrl, body);

    CheckForUpdates(f.env, f.ui, true);

    EXPECT_EQ(f.network.limits, std::vector<std::uint64_t>{kUpdatesIniLimit});
    EXPECT_EQ(f.log.back(), size <= kUpdatesIniLimit ? "sound C:\\Program Files\\Talvo\\update.wav"
                                                     : Message(texts::kUpdateFailed));
  }
}

class StartupChecksTest : public testing::Test {
 protected:
  StartupState Run() {
    StartupState state;
    StartupChecks(f_.env, f_.ui, state);
    return state;
  }
  void AddDatabase() { f_.files.AddFile(f_.env.Local("pattern.ini"), fakes::UsableDatabase("")); }
  void ServeDatabase(std::string body, Failure failure = Failure::kNone) {
    f_.network.Serve(kUpdatesUrl, Description("3.8.16.54", "1.0.6", "0", fakes::kDatabaseUrl));
    f_.network.Serve(fakes::kDatabaseUrl, std::move(body), failure);
  }

  FakeUpdateEnv f_;
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

TEST_F(StartupChecksTest, StartReportsFollowTheChecksOnlyWhenOnline) {
  AddDatabase();
  f_.settings.Write(Setting::kAutoScan, "True");
  f_.settings.Write(Setting::kToday, "110504");
  StartupState state;
  RunStartup(f_.env, f_.ui, false, state);
  EXPECT_EQ(f_.log, std::vector<std::string>{"scan"});

  f_.log.clear();
  RunStartup(f_.env, f_.ui, true, state);
  EXPECT_EQ(f_.log,
            (std::vector<std::string>{
                "scan", "request http://updates.test/request/count.php?mode=run_exe&key=talv",
                "request http://updates.test/request/count.php?mode=update_run&key=talv"}));
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
    StartupState state;

    StartupChecks(f.env, f.ui, state);

    EXPECT_EQ(f.AppFolder(), Names{"updates.ini"});
    EXPECT_EQ(f.settings.Find(Setting::kDatabaseVersion), std::nullopt);
    EXPECT_EQ(state.db_info, "");
  }
}

struct DayCase {
  const char* name;
  const char* stored;  // `today` before; nullptr when absent
  platform::LocalDate date;
  bool reachable;
  bool sends;
  const char* today_after;
};
// Names the case in test listings instead of dumping its bytes.
void PrintTo(const DayCase& c, std::ostream* out) {
  *out << c.name;
}

const DayCase kDayCases[] = {
    {"NewDay", "110504", {2011, 5, 5}, true, true, "110505"},
    {"SameDay", "110505", {2011, 5, 5}, true, false, "110505"},
    {"ClockSetBack", "110505", {2011, 5, 4}, true, false, "110505"},
    {"FirstStartEver", nullptr, {2011, 5, 5}, true, true, "110505"},
    {"FailedRequestStillCounts", "110504", {2011, 5, 5}, false, true, "110505"},
    {"NewYear", "111231", {2012, 1, 1}, true, true, "120101"},
    {"YearWithALeadingZero", "1", {2009, 1, 2}, true, true, "090102"},
};

class DailyPingTest : public testing::TestWithParam<DayCase> {
 protected:
  FakeUpdateEnv f_;
};

TEST_P(DailyPingTest, ReportsOncePerDay) {
  const DayCase& c = GetParam();
  const std::string url = StatsUrl(FakeUpdateEnv::kServer, StatsEvent::kUpdateRun);
  if (c.stored) f_.settings.Write(Setting::kToday, c.stored);
  f_.clock.SetToday(c.date.year, c.date.month, c.date.day);
  if (c.reachable) f_.network.Serve(url, "1");

  DailyPing(f_.env, url);

  EXPECT_EQ(f_.network.requests(), c.sends ? Names{url} : Names{});
  EXPECT_TRUE(f_.network.downloads().empty());
  EXPECT_EQ(f_.settings.Find(Setting::kToday), c.today_after);
  EXPECT_EQ(f_.clock.waited(), std::chrono::milliseconds(c.sends ? 2000 : 0));
}

INSTANTIATE_TEST_SUITE_P(Cases, DailyPingTest, testing::ValuesIn(kDayCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tvac::update
