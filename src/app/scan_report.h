#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "scan/scan_result_list.h"

// What the console scanner takes and prints. Texts are code page 949.
namespace tvac::app {

struct ScanOptions {
  std::optional<std::string> database;  // default: pattern.ini beside the program
  bool tsv = false;
};

// nullopt for anything but "--db PATH" (once) and "--tsv" (once), in any order.
std::optional<ScanOptions> ParseScanOptions(const std::vector<std::string>& args);

// One line per row with its eight fields separated by tabs. A tab or line break
// inside a field becomes a space, so that each row stays one line.
std::string FormatTsv(const std::vector<scan::ScanItem>& rows);

// The visible columns as a table under their headings, then the result line.
std::string FormatTable(const std::vector<scan::ScanItem>& rows, const scan::Counters& counters);

// 0 when nothing was found, 1 when rows were found; 2 is a usage error.
inline constexpr int kExitClean = 0;
inline constexpr int kExitFound = 1;
inline constexpr int kExitUsage = 2;

}  // namespace tvac::app
