#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/registry.h"

// Everything the program keeps between runs: string values under the current user's
// key. Nothing is written in advance; an absent value reads as its default.
namespace tvac::base {

enum class Setting {
  // Software\TalvoAntiVirus\Common
  kTray,        // flag: the main window is hidden in the tray
  kAgent,       // flag: scan every hour while hidden
  kAutoScan,    // flag: scan at start-up
  kAutoUpdate,  // flag: download updates without asking
  kAutoRemedy,  // flag: cure the checked rows right after a scan
  kLastScan,    // "YYYY.MM.DD" of the last scan's start
  kMessage,     // the text the next message window or popup shows
  kServer,      // update and statistics host, with an optional ":port"
  // Software\TalvoAntiVirus\Updates
  kPendingKind,      // the key's unnamed value: "UPDATE", "PATTERN" or empty
  kProgramVersion,   // "ver": installed program version, dotted
  kDatabaseVersion,  // "verPattern": installed database version, dotted
  kToday,            // "YYMMDD" of the last daily report
  // Software\Microsoft\Windows\CurrentVersion\Run
  kRunAtStart,  // the autostart command line
};

struct SettingPlace {
  std::string_view key;       // below HKEY_CURRENT_USER
  std::string_view name;      // empty for a key's unnamed value
  std::string_view fallback;  // what a reader gets when the value is absent
};

// The one table of where each setting lives and what it reads as when absent.
const SettingPlace& PlaceOf(Setting setting);

inline constexpr std::string_view kTrue = "True";
inline constexpr std::string_view kFalse = "False";

// The update and statistics host built into the program.
std::string_view BuiltInServer();

class Settings {
 public:
  explicit Settings(platform::Registry& registry) : registry_(registry) {}

  // The stored text; the setting's default when it is absent, longer than 259 bytes
  // or unreadable. Reading creates the setting's key, as every reader does.
  std::string Read(Setting setting) const;

  // The stored text, or nullopt where Read would give the default.
  std::optional<std::string> Find(Setting setting) const;

  // A flag is on only for exactly "True"; any other text or none is off.
  bool IsOn(Setting setting) const { return Read(setting) == kTrue; }

  // Failures are ignored: the setting keeps its old value.
  void Write(Setting setting, std::string_view text);
  void WriteFlag(Setting setting, bool on) { Write(setting, on ? kTrue : kFalse); }
  void Remove(Setting setting);

  // The host (and port) that updates and statistics go to: the `Server` setting when
  // it holds a plain "host" or "host:port", else the built-in one.
  std::string Server() const;

 private:
  platform::Registry& registry_;
};

}  // namespace tvac::base
