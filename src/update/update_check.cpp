#include "update/update_check.h"

#include <cstdio>

#include "base/texts.h"
#include "platform/ini.h"
#include "platform/text.h"
#include "update/stats.h"

namespace tvac::update {

namespace {

using base::Setting;

constexpr std::string_view kUpdatesIni = "updates.ini";
constexpr std::string_view kPatternIni = "pattern.ini";

// The leading decimal number after any leading blanks.
std::int32_t LeadingDecimal(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t\n\v\f\r");
  return first == std::string_view::npos ? 0 : platform::LeadingNumber(text.substr(first));
}

std::string ReadDescription(UpdateEnv& env, std::string_view section, std::string_view key) {
  return platform::ReadIniString(env.files, env.Local(kUpdatesIni), section, key, "0");
}

}  // namespace

std::int32_t VersionNumber(std::string_view text) {
  std::string digits;
  for (const char c : text) {
    if (c != '.') digits += c;
  }
  return LeadingDecimal(digits);
}

PendingKind DecidePending(std::int32_t program_installed, std::int32_t program_available,
                          std::int32_t database_installed, std::int32_t database_available) {
  if (program_installed < program_available) return PendingKind::kProgram;
  if (database_installed < database_available) return PendingKind::kDatabase;
  return PendingKind::kNone;
}

std::string_view KindText(PendingKind kind) {
  switch (kind) {
    case PendingKind::kProgram:
      return "UPDATE";
    case PendingKind::kDatabase:
      return "PATTERN";
    case PendingKind::kNone:
      break;
  }
  return "";
}

bool FetchFile(UpdateEnv& env, std::string_view url, std::string_view target, std::uint64_t limit,
               platform::DownloadProgress* progress, Expect expect) {
  const std::string temporary = std::string(target) + ".download";
  env.network.DropCached(url);
  bool ok = env.network.Download(url, temporary, limit, progress);
  if (ok && expect == Expect::kDatabase) ok = env.is_database(env.files, temporary);
  if (ok) ok = env.files.Replace(temporary, target) == platform::kOk;
  if (!ok) env.files.RemoveFile(temporary);
  return ok;
}

void FetchPublishedDatabase(UpdateEnv& env) {
  // The description stays for the update check that follows.
  FetchFile(env, UpdatesUrl(env.server), env.Local(kUpdatesIni), kUpdatesIniLimit, nullptr,
            Expect::kAnyFile);
  const std::string version = ReadDescription(env, "PATTERN", "VER");
  const std::string url = ReadDescription(env, "PATTERN", "URL");
  if (FetchFile(env, url, env.Local(kPatternIni), kDownloadLimit, nullptr, Expect::kDatabase)) {
    env.settings.Write(Setting::kDatabaseVersion, version);
  }
}

void CheckForUpdates(UpdateEnv& env, UpdateCheckUi& ui, bool announce) {
  const std::string description = env.Local(kUpdatesIni);
  // A copy left by a cancelled update dialog is read when the server cannot be reached.
  const bool fetched = FetchFile(env, UpdatesUrl(env.server), description, kUpdatesIniLimit,
                                 nullptr, Expect::kAnyFile);
  const bool readable = fetched || env.files.Stat(description).has_value();

  const PendingKind kind =
      DecidePending(VersionNumber(env.settings.Read(Setting::kProgramVersion)),
                    VersionNumber(ReadDescription(env, "UPDATE", "VER")),
                    VersionNumber(env.settings.Read(Setting::kDatabaseVersion)),
                    VersionNumber(ReadDescription(env, "PATTERN", "VER")));
  if (kind != PendingKind::kNone) {
    env.settings.Write(Setting::kPendingKind, KindText(kind));
    ui.OpenUpdateDialog();
    ui.PlayWave(env.Local("update.wav"));
    return;
  }
  if (announce) {
    // Without a description nothing is known about the versions: say the check failed
    // rather than that the program is current.
    env.settings.Write(Setting::kMessage, readable ? texts::kUpdateLatest : texts::kUpdateFailed);
    ui.ShowMessage();
  }
  env.files.RemoveFile(description);
}

void DailyPing(UpdateEnv& env, std::string_view url) {
  std::optional<std::string> last_day = env.settings.Find(Setting::kToday);
  if (!last_day) {
    last_day = "1";
    env.settings.Write(Setting::kToday, *last_day);
  }

  const platform::LocalDate date = env.clock.Today();
  char today[16];
  std::snprintf(today, sizeof today, "%02d%02d%02d", date.year % 100, date.month, date.day);
  if (LeadingDecimal(today) <= LeadingDecimal(*last_day)) return;

  StatsPing(env.network, url);
  // Recorded even when the request failed: the day's report is not retried.
  env.settings.Write(Setting::kToday, today);
  env.clock.Wait(std::chrono::milliseconds(2000));
}

}  // namespace tvac::update
