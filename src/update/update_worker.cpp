#include "update/update_worker.h"

#include "base/texts.h"
#include "platform/ini.h"
#include "update/stats.h"

namespace tvac::update {

namespace {

using base::Setting;

constexpr std::string_view kInstaller = "tvac_update.exe";

struct Published {
  std::string version;
  std::string url;
};

Published ReadPublished(UpdateEnv& env, std::string_view section) {
  const std::string description = env.Local("updates.ini");
  return {platform::ReadIniString(env.files, description, section, "VER", "0"),
          platform::ReadIniString(env.files, description, section, "URL", "0")};
}

}  // namespace

int DownloadPercent(std::uint64_t done, std::uint64_t total) {
  if (total == 0) return 0;
  const double percent = static_cast<double>(done) * 100.0 / static_cast<double>(total);
  return percent >= 100.0 ? 100 : static_cast<int>(percent);
}

UpdateOutcome RunUpdate(UpdateEnv& env, UpdateDialogPort& port) {
  StatsPing(env.network, StatsUrl(env.server, StatsEvent::kUpdateOk));

  const std::string kind = env.settings.Read(Setting::kPendingKind);
  PercentReporter progress(port);
  UpdateOutcome outcome = UpdateOutcome::kNothingPending;
  if (kind == KindText(PendingKind::kProgram)) {
    const Published program = ReadPublished(env, "UPDATE");
    outcome = FetchFile(env, program.url, env.Local(kInstaller), kDownloadLimit, &progress,
                        Expect::kAnyFile)
                  ? UpdateOutcome::kProgramInstalled
                  : UpdateOutcome::kFailed;
    if (outcome != UpdateOutcome::kFailed)
      env.settings.Write(Setting::kProgramVersion, program.version);
  } else if (kind == KindText(PendingKind::kDatabase)) {
    // The old database stays in place until the new one has arrived whole.
    const Published database = ReadPublished(env, "PATTERN");
    outcome = FetchFile(env, database.url, env.Local("pattern.ini"), kDownloadLimit, &progress,
                        Expect::kDatabase)
                  ? UpdateOutcome::kDatabaseInstalled
                  : UpdateOutcome::kFailed;
    if (outcome != UpdateOutcome::kFailed) {
      env.settings.Write(Setting::kDatabaseVersion, database.version);
      port.ReloadDbInfoSoon();
    }
  }

  if (outcome == UpdateOutcome::kFailed) {
    // The kind and the description stay, so the next check offers the update again.
    env.settings.Write(Setting::kMessage, texts::kUpdateFailed);
  } else {
    env.files.RemoveFile(env.Local("updates.ini"));
    env.settings.Write(Setting::kPendingKind, "");
    env.settings.Write(Setting::kMessage, texts::kUpdateSucceeded);
  }
  port.CloseDialog();
  port.ShowMessage();
  if (outcome == UpdateOutcome::kProgramInstalled) {
    env.shell.Open(env.Local(kInstaller), "", platform::ShowWindow::kShown);
  }
  return outcome;
}

}  // namespace tvac::update
