#include "update/update_check.h"

#include <gtest/gtest.h>

#include <limits>

#include "base/texts.h"
#include "fakes/fake_update_ui.h"
#include "update/stats.h"

namespace tvac::update {
namespace {

using base::Setting;
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
