#pragma once

#include "scan/pattern_database.h"
#include "scan/scan_environment.h"

namespace tvac::scan {

// Tests every file and registry rule of every entry against the machine and inserts a
// row for each rule that matches. Returns when all entries are done or `scanning` was
// found cleared, in which case the progress shows 0.
void RunSignatureScan(const PatternDatabase& database, ScanEnvironment& env);

// One rule of an entry: inserts a row when it matches this machine.
void TestFileRule(const PatternEntry& entry, const FileRule& rule, ScanEnvironment& env);
void TestRegRule(const PatternEntry& entry, const RegRule& rule, ScanEnvironment& env);

// The path a file rule names once its kind is applied (desktop, program group and
// Windows rules are relative to folders of this machine).
std::string ResolveRulePath(const FileRule& rule, ScanEnvironment& env);

}  // namespace tvac::scan
