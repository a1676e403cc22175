#pragma once

#include <string>

#include "update/update_check.h"

// What the program does once at every start, before the user does anything.
namespace tvac::agent {

// What the start-up sequence needs from the main window, on the user-interface thread.
class StartupHost {
 public:
  virtual ~StartupHost() = default;
  // Starts a scan as the scan button does.
  virtual void StartScan() = 0;
};

// What the start-up checks found for the main window.
struct StartupState {
  std::string last_scan;  // "YYYY.MM.DD", or "0000.00.00" before the first scan
  std::string db_info;    // the database's date line without its label
  bool run_at_start = false;
};

// Fetches the database when the program has none, fills `state`, and last starts a
// scan when automatic scanning is on.
void StartupChecks(update::UpdateEnv& env, StartupHost& host, StartupState& state);

// What follows the checks once the main window shows: the quiet update check (which
// offers a pending update through `ui`), then, when the machine was online at start,
// the start report and the daily one.
void StartupReports(update::UpdateEnv& env, update::UpdateCheckUi& ui, bool online);

}  // namespace tvac::agent
