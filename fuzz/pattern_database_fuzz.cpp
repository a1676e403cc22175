// The input is pattern.ini content: it goes through the INI reader and every lookup
// a scan makes in the pattern database, and the raw bytes through the rule decoders.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ini.h"
#include "platform/text.h"
#include "scan/pattern_database.h"

namespace {

using tvac::scan::PatternDatabase;

// Bounds the work one input can ask for.
constexpr std::size_t kMaxEntries = 64;
constexpr std::size_t kMaxRules = 64;

void Require(bool condition) {
  if (!condition) std::abort();
}

// Rule numbers come back ascending, each from 1 to `last`.
void CheckNumbers(const std::vector<std::int32_t>& numbers, std::int32_t last) {
  Require(std::is_sorted(numbers.begin(), numbers.end()));
  for (std::int32_t n : numbers) Require(n >= 1 && n <= last);
}

void CheckDecoded(std::string_view text) {
  const std::string decoded = tvac::scan::DecodeBase64(text);
  Require(decoded.find('\0') == std::string::npos);
  Require(decoded.size() <= text.size());
}

void ScanLookups(const PatternDatabase& database) {
  const std::int32_t count = database.EntryCount();
  database.DbInfo();
  const std::vector<std::int32_t> entries = database.PresentEntries(count);
  CheckNumbers(entries, count);
  for (std::size_t e = 0; e < std::min(entries.size(), kMaxEntries); ++e) {
    const std::int32_t i = entries[e];
    const tvac::scan::PatternEntry entry = database.Entry(i);
    const std::vector<std::int32_t> files = database.PresentRules(i, "File", entry.file_count);
    CheckNumbers(files, entry.file_count);
    for (std::size_t k = 0; k < std::min(files.size(), kMaxRules); ++k) database.File(i, files[k]);
    const std::vector<std::int32_t> regs = database.PresentRules(i, "Reg", entry.reg_count);
    CheckNumbers(regs, entry.reg_count);
    for (std::size_t k = 0; k < std::min(regs.size(), kMaxRules); ++k) database.Reg(i, regs[k]);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);

  CheckDecoded(input);
  const std::vector<std::string> fields = tvac::scan::SplitRule(input);
  std::string joined = fields.front();
  for (std::size_t k = 1; k < fields.size(); ++k) joined += "#" + fields[k];
  Require(joined == input);
  tvac::platform::LeadingNumber(input);

  ScanLookups(PatternDatabase(tvac::platform::IniDocument::Parse(input)));
  return 0;
}
