#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "app/settings.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/network.h"
#include "platform/processes.h"

// Keeping the database and the program current: the start-up checks, the update
// check against the server's update description, and the daily start report.
namespace tvac::update {

// Larger answers are abandoned as failures.
inline constexpr std::uint64_t kUpdatesIniLimit = 64 * 1024;
inline constexpr std::uint64_t kDownloadLimit = 256ull * 1024 * 1024;

// What the update routines work with. `app_dir` is the program's folder with its
// trailing backslash; `server` is Settings::Server(), taken once.
struct UpdateEnv {
  platform::Files& files;
  platform::Network& network;
  platform::Clock& clock;
  platform::Shell& shell;
  app::Settings& settings;
  std::string app_dir;
  std::string server;

  std::string Local(std::string_view file_name) const { return app_dir + std::string(file_name); }
};

// What belongs to the windows. Each call happens on the user-interface thread.
class UpdateCheckUi {
 public:
  virtual ~UpdateCheckUi() = default;
  virtual void OpenUpdateDialog() = 0;
  // Shows the message window modally; it displays the `Message` setting.
  virtual void ShowMessage() = 0;
  // Starts playing a wave file and returns at once.
  virtual void PlayWave(std::string_view path) = 0;
  // Starts a scan as the scan button does.
  virtual void StartScan() = 0;
};

// A dotted version as a number: every "." removed, then the leading decimal number
// (leading blanks skipped, an optional sign). "3.8.16.53" is 381653, "" is 0.
std::int32_t VersionNumber(std::string_view text);

enum class PendingKind { kNone, kProgram, kDatabase };

// A newer program hides a newer database; the database is compared at the next check.
PendingKind DecidePending(std::int32_t program_installed, std::int32_t program_available,
                          std::int32_t database_installed, std::int32_t database_available);

// "UPDATE", "PATTERN", or empty for kNone: the stored form of the pending kind.
std::string_view KindText(PendingKind kind);

// Downloads `url` by way of `target` + ".download" and puts the file in place of
// `target` in one step, only when the download succeeded and, for a database, the
// file reads as one. Otherwise `target` stays exactly as it was and the temporary
// file is gone. The system's cached copy of `url` is dropped first.
enum class Expect { kAnyFile, kDatabase };
bool FetchFile(UpdateEnv& env, std::string_view url, std::string_view target, std::uint64_t limit,
               platform::DownloadProgress* progress, Expect expect);

// A database holds a positive TotalCount/Count.
bool IsUsableDatabase(platform::Files& files, std::string_view path);

// What the start-up checks found for the main window.
struct StartupState {
  std::string last_scan;  // "YYYY.MM.DD", or "0000.00.00" before the first scan
  std::string db_info;    // the database's date line without its label
  bool run_at_start = false;
};

// Fetches the database when the program has none, fills `state`, and last starts a
// scan when automatic scanning is on.
void StartupChecks(UpdateEnv& env, UpdateCheckUi& ui, StartupState& state);

// Everything the program does once its main window is set up: the start-up checks,
// then, when the machine was online at start, the start report and the daily one.
void RunStartup(UpdateEnv& env, UpdateCheckUi& ui, bool online, StartupState& state);

// Fetches the update description and, when the server offers a newer program or
// database, records the kind and opens the update dialog. With `announce`, says so
// when everything is current.
void CheckForUpdates(UpdateEnv& env, UpdateCheckUi& ui, bool announce);

// Sends the request `url` at most once per calendar day.
void DailyPing(UpdateEnv& env, std::string_view url);

}  // namespace tvac::update
