#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// What the agent makes of a pattern.ini: what it shows and scans, and what it would
// skip or cut.
namespace tvac::app::publish {

struct CheckedEntry {
  std::int32_t number = 0;
  std::string name;    // code page 949, as the agent reads it
  int file_rules = 0;  // rules the agent tests
  int reg_rules = 0;
};

struct DatabaseReport {
  std::string date;                   // the date line as the agent shows it, code page 949
  std::int32_t entry_count = 0;       // TotalCount/Count as the agent reads it
  std::vector<CheckedEntry> entries;  // the entries the agent scans, in order
  std::vector<std::string> problems;  // UTF-8, each naming its section and key
  bool usable() const { return entry_count > 0; }
  bool clean() const { return usable() && problems.empty(); }
};

// Reads `content` with the agent's own database reader.
DatabaseReport CheckDatabase(std::string_view content);

// The report as UTF-8 lines: the date, the entries with their rule counts, every
// problem, and a last line that says whether the database is fit to publish.
std::string FormatReport(const DatabaseReport& report, std::string_view file_name);

}  // namespace tvac::app::publish
