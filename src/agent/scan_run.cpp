#include "agent/scan_run.h"

#include <cstdio>

#include "base/texts.h"
#include "scan/pattern_database.h"
#include "scan/signature_scan.h"
#include "scan/trace_scan.h"
#include "update/stats.h"

namespace tvac::agent {

using base::Setting;

std::string FormatScanDate(const platform::LocalDate& date) {
  char text[32];
  std::snprintf(text, sizeof text, "%04d.%02d.%02d", date.year, date.month, date.day);
  return text;
}

ScanEnding DecideEnding(bool in_tray, std::size_t rows, bool auto_remedy) {
  if (in_tray) return rows > 0 ? ScanEnding::kPopup : ScanEnding::kQuiet;
  if (rows == 0) return ScanEnding::kNothingFound;
  return auto_remedy ? ScanEnding::kRemedy : ScanEnding::kFound;
}

std::string FoundMessage(std::size_t rows) {
  return std::string(texts::kFoundPrefix) + std::to_string(rows) + std::string(texts::kFoundSuffix);
}

void ToggleScan(ScanRunContext& run, ScanRunHost& host) {
  if (run.model.scanning.exchange(false)) {
    // The worker notices at its next check and goes on to its ending.
    host.ShowScanFace(false);
    if (run.model.online) {
      update::StatsPing(run.network, update::StatsUrl(run.server, update::StatsEvent::kRunStop));
    }
    return;
  }
  // The run counts as started from here on, so that a second press while the worker
  // is still sending its request stops this run instead of starting another.
  run.model.scanning = true;
  // A cure marks itself before it looks at `scanning`: one of the two always sees
  // the other, so the list never has a scan and a cure at once.
  if (run.model.curing) {
    run.model.scanning = false;
    run.settings.Write(Setting::kMessage, texts::kCureRunning);
    host.ShowMessage();
    return;
  }
  if (!host.StartWorker()) {
    run.model.scanning = false;
    host.CancelMainWindow();
  }
}

void RunScan(ScanRunContext& run, ScanRunHost& host) {
  if (run.model.online) {
    update::StatsPing(run.network, update::StatsUrl(run.server, update::StatsEvent::kRunScan));
  }
  const std::string today = FormatScanDate(run.clock.Today());
  run.settings.Write(Setting::kLastScan, today);
  run.model.SetLastScan(today);
  host.RepaintLastScan();
  host.ShowScanFace(true);

  run.env.results.Clear();
  // `scanning` was set by the scan command; a stop pressed since then stands.
  run.model.StartElapsed();
  host.RepaintResultLine();
  host.StartElapsedTimer();

  // The database is read afresh for every run, so a new one counts at once.
  const scan::PatternDatabase database =
      scan::PatternDatabase::Load(run.env.files, run.app_dir + "pattern.ini");
  scan::RunSignatureScan(database, run.env);
  scan::ScanTraces(run.env);  // also after a stop: it checks the flag itself

  run.model.scanning = false;
  run.model.ClearElapsedText();
  host.RepaintStatus();
  host.ShowScanFace(false);
  const std::size_t rows = run.env.results.Count();
  run.model.SetStatus(std::string(texts::kScanComplete));
  host.RepaintStatus();

  const bool in_tray = run.settings.IsOn(Setting::kTray);
  const bool auto_remedy = !in_tray && rows > 0 && run.settings.IsOn(Setting::kAutoRemedy);
  const std::string count = std::to_string(rows);
  switch (DecideEnding(in_tray, rows, auto_remedy)) {
    case ScanEnding::kPopup:
      host.PlayWave(run.app_dir + "sound.wav");
      run.settings.Write(Setting::kMessage, std::string(texts::kFoundInTrayPrefix) + count +
                                                std::string(texts::kFoundInTraySuffix));
      host.StartPopupTimer();
      break;
    case ScanEnding::kQuiet:
      break;
    case ScanEnding::kNothingFound:
      run.settings.Write(Setting::kMessage, texts::kNothingFound);
      host.ShowMessage();
      break;
    case ScanEnding::kRemedy:
      host.StartRemedy();
      break;
    case ScanEnding::kFound:
      host.PlayWave(run.app_dir + "sound.wav");
      run.settings.Write(Setting::kMessage, FoundMessage(rows));
      host.ShowMessage();
      break;
  }
}

}  // namespace tvac::agent
