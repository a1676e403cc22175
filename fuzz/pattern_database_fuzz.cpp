// The input is pattern.ini content: it goes through the INI reader and every lookup
// a scan makes in the pattern database, and the raw bytes through the rule decoders.
// The work per input stays bounded whatever counts the input names: entries and
// rules are taken from the sections and keys that are present, and at most a few
// dozen of each.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ini.h"
#include "platform/text.h"
#include "scan/pattern_database.h"

namespace {

using tvac::platform::IniDocument;
using tvac::scan::PatternDatabase;

// Bounds the work one input can ask for.
constexpr std::size_t kMaxEntries = 64;
constexpr std::size_t kMaxRules = 64;
constexpr std::size_t kMaxNames = 64;
constexpr std::size_t kValueLimit = tvac::platform::kIniBufferSize - 1;
// 259 characters hold at most 256 Base64 symbols: 192 bytes.
constexpr std::size_t kDecodedLimit = 192;

void Require(bool condition) {
  if (!condition) std::abort();
}

// Rule numbers come back ascending, each from 1 to `last`.
void CheckNumbers(const std::vector<std::int32_t>& numbers, std::int32_t last) {
  Require(std::is_sorted(numbers.begin(), numbers.end()));
  Require(std::adjacent_find(numbers.begin(), numbers.end()) == numbers.end());
  for (std::int32_t n : numbers) Require(n >= 1 && n <= last);
}

void CheckDecoded(std::string_view text) {
  const std::string decoded = tvac::scan::DecodeBase64(text);
  Require(decoded.find('\0') == std::string::npos);
  Require(decoded.size() <= text.size());
}

std::string Joined(const std::vector<std::string>& fields) {
  std::string joined = fields.front();
  for (std::size_t k = 1; k < fields.size(); ++k) joined += "#" + fields[k];
  return joined;
}

// Direct lookups of the names the document holds: a present key reads the same
// whatever the fallback, the letter case of the names and the buffer, which only
// ever cuts it.
void CheckLookups(const IniDocument& document) {
  std::vector<std::string> sections = document.SectionNames();
  sections.resize(std::min(sections.size(), kMaxNames));
  // Lookups trim their names, so a name with blanks around (a section's, or one cut
  // at a zero byte) is never found.
  const auto trimmed = [](std::string_view name) {
    return tvac::platform::TrimProfileBlanks(name) == name;
  };
  for (const std::string& section : sections) {
    if (!trimmed(section)) continue;
    std::vector<std::string> keys = document.KeyNames(section);
    keys.resize(std::min(keys.size(), kMaxNames));
    for (const std::string& key : keys) {
      if (!trimmed(key)) continue;
      const std::string value = document.Get(section, key, "a");
      Require(value.size() <= kValueLimit);
      Require(document.Get(section, key, "b") == value);
      Require(document.Get(tvac::platform::AsciiUpper(section), tvac::platform::AsciiUpper(key),
                           "b") == value);
      for (std::size_t buffer : {0u, 1u, 2u, 3u, 17u}) {
        const std::string cut = document.Get(section, key, "a", buffer);
        Require(cut.size() < std::max<std::size_t>(buffer, 1));
        Require(value.compare(0, cut.size(), cut) == 0);
      }
    }
  }
  Require(document.Get("\x01 no such section", "k", "fallback  ") == "fallback");
}

// What a scan reads from the database, in the order it reads it.
std::vector<std::string> ScanLookups(const PatternDatabase& database) {
  std::vector<std::string> seen;
  const std::int32_t count = database.EntryCount();
  seen.push_back(std::to_string(count));
  const std::string info = database.DbInfo();
  Require(info.size() <= kValueLimit);
  seen.push_back(info);

  const std::vector<std::int32_t> entries = database.PresentEntries(count);
  CheckNumbers(entries, count);
  for (std::size_t e = 0; e < std::min(entries.size(), kMaxEntries); ++e) {
    const std::int32_t i = entries[e];
    const tvac::scan::PatternEntry entry = database.Entry(i);
    Require(entry.name.size() <= kDecodedLimit && entry.info.size() <= kDecodedLimit);
    seen.insert(seen.end(), {entry.name, entry.info, std::to_string(entry.file_count),
                             std::to_string(entry.reg_count)});

    const std::vector<std::int32_t> files = database.PresentRules(i, "File", entry.file_count);
    CheckNumbers(files, entry.file_count);
    for (std::size_t k = 0; k < std::min(files.size(), kMaxRules); ++k) {
      const tvac::scan::FileRule rule = database.File(i, files[k]);
      Require(rule.path.size() + rule.size.size() + rule.kind.size() <= kDecodedLimit);
      seen.insert(seen.end(), {rule.path, rule.size, rule.kind});
    }
    const std::vector<std::int32_t> regs = database.PresentRules(i, "Reg", entry.reg_count);
    CheckNumbers(regs, entry.reg_count);
    for (std::size_t k = 0; k < std::min(regs.size(), kMaxRules); ++k) {
      const tvac::scan::RegRule rule = database.Reg(i, regs[k]);
      Require(rule.root.size() + rule.subkey.size() + rule.value_name.size() +
                  rule.value_data.size() + rule.kind.size() <=
              kDecodedLimit);
      seen.insert(seen.end(),
                  {rule.root, rule.subkey, rule.value_name, rule.value_data, rule.kind});
    }
  }
  return seen;
}

// An entry number without a section reads as an empty entry with no rules.
void CheckAbsentEntry(const PatternDatabase& database) {
  const std::vector<std::int32_t> all =
      database.PresentEntries(std::numeric_limits<std::int32_t>::max());
  CheckNumbers(all, std::numeric_limits<std::int32_t>::max());
  std::int32_t absent = 1;
  for (std::int32_t n : all) {
    if (n != absent) break;
    ++absent;
  }
  const tvac::scan::PatternEntry entry = database.Entry(absent);
  Require(entry.name.empty() && entry.info.empty() && entry.file_count == 0 &&
          entry.reg_count == 0);
  Require(database.File(absent, 1).path.empty() && database.Reg(absent, 1).kind.empty());
  Require(database.PresentRules(absent, "File", std::numeric_limits<std::int32_t>::max()).empty());
}

// Line ends written as CRLF instead of LF read the same.
std::string WithCrLf(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 8);
  for (const char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);

  CheckDecoded(input);
  Require(Joined(tvac::scan::SplitRule(input)) == input);
  tvac::platform::LeadingNumber(input);

  const IniDocument document = IniDocument::Parse(input);
  CheckLookups(document);
  const PatternDatabase database(document);
  const std::vector<std::string> seen = ScanLookups(database);
  CheckAbsentEntry(database);

  Require(ScanLookups(PatternDatabase(IniDocument::Parse(WithCrLf(input)))) == seen);
  return 0;
}
