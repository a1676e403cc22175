#pragma once

#include <string_view>
#include <vector>

#include "scan/scan_environment.h"

namespace tvac::scan {

// One recently-used list of the catalogue. A value name of "0" stands for every
// value of the key.
struct TraceEntry {
  std::string_view root;
  std::string_view key_path;
  std::string_view value_name;
  std::string_view label;
  int number;
};

inline constexpr int kTraceEntryCount = 22;

// The 22 lists, in scan order.
const std::vector<TraceEntry>& TraceCatalogue();

// Appends a row for every trace the catalogue's lists hold. Reads the registry only.
void ScanTraces(ScanEnvironment& env);

// One list: opens its key, shows its progress step, and appends its traces.
void CheckTraceEntry(const TraceEntry& entry, ScanEnvironment& env);

}  // namespace tvac::scan
