#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "base/settings.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/network.h"
#include "platform/processes.h"

// Keeping the database and the program current: fetching a file safely, the update
// check against the server's update description, and the daily start report.
namespace tvac::update {

// Larger answers are abandoned as failures.
inline constexpr std::uint64_t kUpdatesIniLimit = 64 * 1024;
inline constexpr std::uint64_t kDownloadLimit = 256ull * 1024 * 1024;

// Whether the file at `path` reads as a usable database.
using DatabaseCheck = bool (*)(platform::Files& files, std::string_view path);

// What the update routines work with. `app_dir` is the program's folder with its
// trailing backslash; `server` is Settings::Server(), taken once; `is_database` is
// the database reader's own check, which a downloaded database must pass.
struct UpdateEnv {
  platform::Files& files;
  platform::Network& network;
  platform::Clock& clock;
  platform::Shell& shell;
  base::Settings& settings;
  std::string app_dir;
  std::string server;
  DatabaseCheck is_database;

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

// Fetches the update description and then the database it publishes into the
// program folder, recording the database's version when it arrived. The description
// stays for the update check that follows.
void FetchPublishedDatabase(UpdateEnv& env);

// Fetches the update description and, when the server offers a newer program or
// database, records the kind and opens the update dialog. With `announce`, says so
// when everything is current.
void CheckForUpdates(UpdateEnv& env, UpdateCheckUi& ui, bool announce);

// Sends the request `url` at most once per calendar day.
void DailyPing(UpdateEnv& env, std::string_view url);

}  // namespace tvac::update
