// The signature scan over a large database, done two ways:
// - as the program does it: pattern.ini parsed once into a snapshot with hashed
//   sections and keys, then RunSignatureScan;
// - with one profile lookup per value, as a reader that keeps the parsed file but
//   walks its section list and then the section's key list for every lookup.
// Both test the same rules against the same fake machine and must find the same rows.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/texts.h"
#include "fakes/fake_files.h"
#include "fakes/fake_registry.h"
#include "fakes/pattern_builder.h"
#include "platform/registry_values.h"
#include "platform/text.h"
#include "scan/pattern_database.h"
#include "scan/signature_scan.h"

namespace tvac {
namespace {

using platform::RootKey;

constexpr int kEntries = 20000;
// Every kPlantEvery-th entry has its rules' files and registry values on the machine.
constexpr int kPlantEvery = 1000;
constexpr std::string_view kPatternPath = "C:\\Program Files\\Talvo\\pattern.ini";
constexpr std::string_view kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// The machine both scans run against, with the database on it, and the number of
// rows a scan must find there.
struct Machine {
  Machine() {
    const std::string file(texts::kKindFile), value(texts::kKindRegValue);
    fakes::PatternBuilder builder;
    for (int i = 1; i <= kEntries; ++i) {
      const std::string n = std::to_string(i);
      const std::string vendor = "C:\\Program Files\\Vendor" + n + "\\agent.exe";
      const std::string driver = "C:\\Windows\\System32\\drivers\\drv" + n + ".sys";
      const std::string temp = "C:\\Users\\tester\\AppData\\Local\\Temp\\t" + n + ".tmp";
      const std::string vendor_key = "SOFTWARE\\Vendor" + n;
      const std::string run_name = "svc" + n, run_data = "C:\\x" + n + ".exe";
      builder.Entry("Bench.Trojan." + n, "bench sample " + n)
          .File(fakes::RuleText({vendor, "default", file}))
          .File(fakes::RuleText({driver, "4096", file}))
          .File(fakes::RuleText({temp, "default", file}))
          .Reg(fakes::RuleText({"HKEY_LOCAL_MACHINE", vendor_key, "Start", "default", value}))
          .Reg(fakes::RuleText({"HKEY_CURRENT_USER", kRunKey, run_name, run_data, value}));
      if (i % kPlantEvery != 0) continue;
      // Half of the planted entries match on size and data, the other half do not.
      const bool exact = i % (2 * kPlantEvery) == 0;
      files.AddFile(vendor, "MZ");
      files.AddFileOfSize(driver, exact ? 4096 : 4095);
      platform::WriteRegistryString(registry, RootKey::kLocalMachine, vendor_key, "Start", "1");
      platform::WriteRegistryString(registry, RootKey::kCurrentUser, kRunKey, run_name,
                                    exact ? run_data : run_data + ".old");
      expected_rows += exact ? 4 : 2;
    }
    files.AddFile(kPatternPath, builder.Build());
  }

  fakes::FakeFiles files;
  fakes::FakeRegistry registry;
  std::size_t expected_rows = 0;
};

Machine& TheMachine() {
  static Machine machine;
  return machine;
}

class NullDisplay : public scan::ScanDisplay {
 public:
  void SetPercent(int) override {}
  void SetStatusText(std::string) override {}
  void SetWindowsDir(std::string) override {}
  void RedrawResultLine() override {}
};

// ASCII letters compared without case, in place.
bool SameName(std::string_view a, std::string_view b) {
  const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                            [&](char x, char y) { return lower(x) == lower(y); });
}

// A profile parsed once into lists in file order, with the same line rules as
// platform::IniDocument, and looked up by walking them.
class LinearProfile {
 public:
  explicit LinearProfile(std::string_view content) {
    if (content.substr(0, 3) == "\xEF\xBB\xBF") content.remove_prefix(3);
    Section* current = nullptr;
    while (!content.empty()) {
      const std::size_t end = content.find('\n');
      const std::string_view line = platform::TrimProfileBlanks(content.substr(0, end));
      content.remove_prefix(end == std::string_view::npos ? content.size() : end + 1);
      if (line.empty()) continue;
      if (line.front() == '[') {
        if (const std::size_t close = line.rfind(']'); close != std::string_view::npos) {
          current = &sections_.emplace_back(Section{std::string(line.substr(1, close - 1)), {}});
          continue;
        }
      }
      if (current == nullptr) continue;
      Key key{std::string(line), std::nullopt};
      if (const std::size_t eq = line.find('='); eq != std::string_view::npos) {
        key.name = platform::TrimProfileBlanks(line.substr(0, eq));
        key.value = std::string(platform::TrimProfileBlanks(line.substr(eq + 1)));
      }
      current->keys.push_back(std::move(key));
    }
  }

  // The value cut to a buffer of platform::kIniBufferSize bytes, or empty.
  std::string Get(std::string_view section, std::string_view key) const {
    section = platform::TrimProfileBlanks(section);
    key = platform::TrimProfileBlanks(key);
    for (const Section& s : sections_) {
      if (!SameName(s.name, section)) continue;
      for (const Key& k : s.keys) {
        if (SameName(k.name, key))
          return k.value ? platform::CopyProfileValue(*k.value, platform::kIniBufferSize)
                         : std::string();
      }
      return {};  // only the first section of a name is looked in
    }
    return {};
  }

 private:
  struct Key {
    std::string name;
    std::optional<std::string> value;
  };
  struct Section {
    std::string name;
    std::vector<Key> keys;
  };

  std::vector<Section> sections_;
};

std::string Field(const std::vector<std::string>& fields, std::size_t k) {
  return k < fields.size() ? fields[k] : std::string();
}

// The checks of the program's scan, for one file rule and one registry rule.
// The scan with one profile lookup for every value it reads.
void LookupPerValueScan(const LinearProfile& ini, scan::ScanEnvironment& env) {
  const std::int32_t count = platform::LeadingNumber(ini.Get("TotalCount", "Count"));
  for (std::int32_t i = 1; i <= count; ++i) {
    env.display.SetPercent(static_cast<int>(std::int64_t{100} * i / count));
    const std::string section = scan::EntrySection(i);
    const scan::PatternEntry entry{scan::DecodeBase64(ini.Get(section, "Name")),
                                   scan::DecodeBase64(ini.Get(section, "Info")),
                                   platform::LeadingNumber(ini.Get(section, "FileCount")),
                                   platform::LeadingNumber(ini.Get(section, "RegCount"))};
    env.display.SetStatusText(entry.name);
    for (std::int32_t j = 1; j <= entry.file_count; ++j) {
      const auto f =
          scan::SplitRule(scan::DecodeBase64(ini.Get(section, "File" + std::to_string(j))));
      scan::TestFileRule(entry, {Field(f, 0), Field(f, 1), Field(f, 2)}, env);
    }
    for (std::int32_t j = 1; j <= entry.reg_count; ++j) {
      const auto r =
          scan::SplitRule(scan::DecodeBase64(ini.Get(section, "Reg" + std::to_string(j))));
      scan::TestRegRule(entry, {Field(r, 0), Field(r, 1), Field(r, 2), Field(r, 3), Field(r, 4)},
                        env);
    }
  }
}

void CheckRows(benchmark::State& state, std::size_t rows) {
  state.counters["rows"] = static_cast<double>(rows);
  const std::size_t expected = TheMachine().expected_rows;
  if (rows != expected) {
    state.SkipWithError(
        ("found " + std::to_string(rows) + " rows, expected " + std::to_string(expected)).c_str());
  }
}

// Runs `scan` once an iteration on a fresh result list and checks its row count.
template <typename Scan>
void MeasureScan(benchmark::State& state, Scan scan) {
  Machine& machine = TheMachine();
  std::size_t rows = 0;
  for (auto _ : state) {
    scan::ScanResultList results;
    NullDisplay display;
    const std::atomic<bool> scanning{true};
    scan::ScanEnvironment env{machine.files, machine.registry, results,
                              display,       scanning,         "tester"};
    scan(machine, env);
    rows = results.Count();
  }
  CheckRows(state, rows);
}

void BM_SnapshotScan(benchmark::State& state) {
  MeasureScan(state, [](Machine& machine, scan::ScanEnvironment& env) {
    const scan::PatternDatabase database = scan::PatternDatabase::Load(machine.files, kPatternPath);
    scan::RunSignatureScan(database, env);
  });
}

void BM_LookupPerValueScan(benchmark::State& state) {
  MeasureScan(state, [](Machine& machine, scan::ScanEnvironment& env) {
    const LinearProfile ini(machine.files.ReadAll(kPatternPath).value_or(""));
    LookupPerValueScan(ini, env);
  });
}

BENCHMARK(BM_SnapshotScan)->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LookupPerValueScan)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tvac

BENCHMARK_MAIN();
