#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <string_view>

// The tree an update server serves: update/updates.ini naming the newest database
// and program, and those files under names that carry their versions.
namespace tvac::app::publish {

struct SiteOptions {
  std::string database;                        // pattern.ini to publish
  std::string database_version;                // dotted decimal
  std::optional<std::string> installer;        // the program's installer, with
  std::optional<std::string> program_version;  // its version; both or neither
  std::string base_url;                        // http://host[:port], where the tree is served
  std::string out;                             // the tree's folder
};

// Why the agent could not use `version`, or nullopt when it can: dotted decimal whose
// digits, the dots removed, make a number from 1 to 2147483647 (versions compare as
// that number).
std::optional<std::string> VersionFault(std::string_view version);

// "http://host[:port]" without a trailing slash, or nullopt with `error` set.
std::optional<std::string> ParseBaseUrl(std::string_view url, std::string& error);

std::string DatabaseFileName(std::string_view version);   // pattern-V.ini
std::string InstallerFileName(std::string_view version);  // tvac-setup-V.exe

// Builds the new tree beside `out` (as out.new) and swaps it in with one rename, so
// a server never serves half of it. What an earlier publication left in `out` stays:
// its versioned files, for agents that read the previous updates.ini a moment before,
// and without an installer the program it published. A versioned name already
// published with other bytes is refused: a published file never changes. Returns 0
// when published, 1 when refused (the reasons on `err`); `out` is then as it was and
// no working folder is left.
int PublishSite(const SiteOptions& options, std::ostream& out, std::ostream& err);

}  // namespace tvac::app::publish
