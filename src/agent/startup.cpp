#include "agent/startup.h"

#include "scan/pattern_database.h"
#include "update/stats.h"

namespace tvac::agent {

using base::Setting;

void StartupChecks(update::UpdateEnv& env, StartupHost& host, StartupState& state) {
  state.last_scan = env.settings.Read(Setting::kLastScan);

  const std::string database = env.Local("pattern.ini");
  if (!env.files.Stat(database)) update::FetchPublishedDatabase(env);

  state.db_info = scan::PatternDatabase::Load(env.files, database).DbInfo();
  state.run_at_start = env.settings.Read(Setting::kRunAtStart) != "0";
  if (env.settings.IsOn(Setting::kAutoScan)) host.StartScan();
}

void StartupReports(update::UpdateEnv& env, update::UpdateCheckUi& ui, bool online) {
  update::CheckForUpdates(env, ui, false);
  if (!online) return;
  update::StatsPing(env.network, update::StatsUrl(env.server, update::StatsEvent::kRunExe));
  update::DailyPing(env, update::StatsUrl(env.server, update::StatsEvent::kUpdateRun));
}

}  // namespace tvac::agent
