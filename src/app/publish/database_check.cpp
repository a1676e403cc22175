#include "app/publish/database_check.h"

#include <algorithm>
#include <limits>
#include <optional>
#include <utility>

#include "app/publish/cp949.h"
#include "app/publish/database_writer.h"
#include "app/publish/signature_list.h"
#include "platform/ini.h"
#include "platform/registry_values.h"
#include "scan/pattern_database.h"

namespace tvac::app::publish {
namespace {

using Range = std::pair<std::int32_t, std::int32_t>;

constexpr std::size_t kLargestValue = platform::kIniBufferSize - 1;
constexpr std::size_t kWhole = std::numeric_limits<std::size_t>::max();
constexpr std::int32_t kLargestNumber = std::numeric_limits<std::int32_t>::max();

bool IsPlainNumber(std::string_view text) {
  return !text.empty() &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// A size the agent can match: "default", or the "%d" text of a file size.
bool IsMatchableSize(std::string_view size) {
  if (size == "default") return true;
  if (!IsPlainNumber(size) || size.size() > 10 || (size.size() > 1 && size.front() == '0')) {
    return false;
  }
  return std::stoll(std::string(size)) <= kLargestNumber;
}

// The numbers from 1 to `last` that `present` (ascending, within 1 to last) lacks.
std::vector<Range> Gaps(const std::vector<std::int32_t>& present, std::int32_t last) {
  std::vector<Range> gaps;
  std::int64_t next = 1;
  for (const std::int32_t n : present) {
    if (n > next) gaps.emplace_back(static_cast<std::int32_t>(next), n - 1);
    next = std::int64_t{n} + 1;
  }
  if (next <= last) gaps.emplace_back(static_cast<std::int32_t>(next), last);
  return gaps;
}

// Consecutive numbers joined into ranges.
std::vector<Range> Runs(const std::vector<std::int32_t>& numbers) {
  std::vector<Range> runs;
  for (const std::int32_t n : numbers) {
    if (!runs.empty() && std::int64_t{runs.back().second} + 1 == n) {
      runs.back().second = n;
    } else {
      runs.emplace_back(n, n);
    }
  }
  return runs;
}

std::string Names(std::string_view prefix, const Range& range, std::string_view open = "",
                  std::string_view close = "") {
  const auto name = [&](std::int32_t n) {
    return std::string(open) + std::string(prefix) + std::to_string(n) + std::string(close);
  };
  if (range.first == range.second) return name(range.first);
  return name(range.first) + " to " + name(range.second);
}

std::string Quoted(std::string_view cp949) {
  return "\"" + FromCp949(cp949) + "\"";
}

class Checker {
 public:
  explicit Checker(std::string_view content)
      : document_(platform::IniDocument::Parse(content)), db_(document_) {}

  DatabaseReport Run() {
    report_.entry_count = db_.EntryCount();
    report_.date = db_.DbInfo();
    CheckCount();
    if (!Has("DBINFO", "info")) {
      Problem("[DBINFO] Info is missing: the agent shows no database date");
    } else {
      Whole("[DBINFO] Info", "DBINFO", "Info");
    }
    if (report_.entry_count > 0) CheckEntries();
    return std::move(report_);
  }

 private:
  void Problem(std::string text) { report_.problems.push_back(std::move(text)); }

  bool Has(std::string_view section, std::string_view lower_key) const {
    const std::vector<std::string> keys = document_.KeyNames(section);
    return std::find(keys.begin(), keys.end(), lower_key) != keys.end();
  }

  // The value as the agent reads it, after saying when that is less than the file holds.
  std::string Whole(const std::string& where, std::string_view section, std::string_view key,
                    bool* cut = nullptr) {
    const std::string whole = document_.Get(section, key, "", kWhole);
    if (cut != nullptr) *cut = whole.size() > kLargestValue;
    if (whole.size() > kLargestValue) {
      Problem(where + " holds " + std::to_string(whole.size()) +
              " bytes: the agent reads only the first " + std::to_string(kLargestValue));
    }
    return document_.Get(section, key, "");
  }

  // The decoded text of a Base64 value, after saying when it is not written canonically.
  std::string Decoded(const std::string& where, std::string_view section, std::string_view key) {
    bool cut = false;
    const std::string value = Whole(where, section, key, &cut);
    std::string text = scan::DecodeBase64(value);
    if (!cut && EncodeBase64(text) != value) {
      Problem(where + " is not canonical Base64: the agent decodes it as " + Quoted(text));
    }
    return text;
  }

  void CheckCount() {
    if (!Has("TotalCount", "count")) {
      return Problem("[TotalCount] Count is missing: the agent reads no entry");
    }
    const std::string count = Whole("[TotalCount] Count", "TotalCount", "Count");
    if (report_.entry_count <= 0) {
      Problem("[TotalCount] Count=" + FromCp949(count) +
              " is not a positive number: the agent reads no entry");
    } else if (!IsPlainNumber(count)) {
      Problem("[TotalCount] Count=" + FromCp949(count) +
              " is not a plain number: the agent reads " + std::to_string(report_.entry_count));
    }
  }

  void CheckEntries() {
    const std::int32_t count = report_.entry_count;
    const std::vector<std::int32_t> present = db_.PresentEntries(count);
    for (const Range& gap : Gaps(present, count)) {
      Problem(Names("DeziRiv", gap, "[", "]") + (gap.first == gap.second ? " is" : " are") +
              " missing: the agent skips " + (gap.first == gap.second ? "that entry" : "them"));
    }
    std::vector<std::int32_t> beyond = db_.PresentEntries(kLargestNumber);
    std::erase_if(beyond, [&](std::int32_t n) { return n <= count; });
    for (const Range& run : Runs(beyond)) {
      Problem(Names("DeziRiv", run, "[", "]") + " after Count=" + std::to_string(count) +
              ": the agent never reads " + (run.first == run.second ? "it" : "them"));
    }
    for (const std::int32_t i : present) CheckEntry(i);
  }

  // The rule numbers the agent reads, after naming those it lacks or never reads.
  std::vector<std::int32_t> RuleNumbers(std::int32_t i, const std::string& section,
                                        std::string_view prefix, std::int32_t count) {
    if (!Has(section, prefix == "File" ? "filecount" : "regcount")) {
      if (!db_.PresentRules(i, prefix, kLargestNumber).empty()) {
        Problem("[" + section + "] " + std::string(prefix) + "Count is missing: the agent reads " +
                "no " + (prefix == "File" ? "file" : "registry") + " rule");
      }
    } else {
      const std::string text = document_.Get(section, std::string(prefix) + "Count", "");
      if (!IsPlainNumber(text)) {
        Problem("[" + section + "] " + std::string(prefix) + "Count=" + FromCp949(text) +
                " is not a plain number: the agent reads " + std::to_string(std::max(count, 0)));
      }
    }
    if (count <= 0) return {};
    const std::vector<std::int32_t> present = db_.PresentRules(i, prefix, count);
    for (const Range& gap : Gaps(present, count)) {
      Problem("[" + section + "] " + Names(prefix, gap) +
              (gap.first == gap.second ? " is" : " are") + " missing");
    }
    std::vector<std::int32_t> beyond = db_.PresentRules(i, prefix, kLargestNumber);
    std::erase_if(beyond, [&](std::int32_t n) { return n <= count; });
    for (const Range& run : Runs(beyond)) {
      Problem("[" + section + "] " + Names(prefix, run) + " after " + std::string(prefix) +
              "Count=" + std::to_string(count) + ": the agent never reads " +
              (run.first == run.second ? "it" : "them"));
    }
    return present;
  }

  // The fields of a rule, after naming a count other than the form's; nullopt when
  // some are missing.
  std::optional<std::vector<std::string>> Fields(const std::string& where, std::string_view section,
                                                 std::string_view key, std::size_t form,
                                                 std::string_view shape) {
    std::vector<std::string> fields = scan::SplitRule(Decoded(where, section, key));
    if (fields.size() < form) {
      Problem(where + " has " + std::to_string(fields.size()) + " of the " + std::to_string(form) +
              " fields " + std::string(shape) + ": the agent reads the missing ones as empty");
      return std::nullopt;
    }
    if (fields.size() > form) {
      Problem(where + " has " + std::to_string(fields.size()) + " fields: the agent ignores " +
              "those after the " + std::to_string(form) + " of " + std::string(shape));
    }
    return fields;
  }

  void CheckEntry(std::int32_t i) {
    const std::string section = scan::EntrySection(i);
    const std::string at = "[" + section + "] ";
    const scan::PatternEntry entry = db_.Entry(i);
    for (const char* key : {"Name", "Info"}) {
      std::string lower(key);
      lower[0] = static_cast<char>(lower[0] - 'A' + 'a');
      if (!Has(section, lower)) {
        Problem(at + key + " is missing");
      } else {
        Decoded(at + key, section, key);
      }
    }
    CheckedEntry& checked = report_.entries.emplace_back();
    checked.number = i;
    checked.name = entry.name;

    const std::vector<std::int32_t> files = RuleNumbers(i, section, "File", entry.file_count);
    for (const std::int32_t j : files) {
      const std::string key = "File" + std::to_string(j);
      const auto fields = Fields(at + key, section, key, 3, "path#size#kind");
      if (!fields) continue;
      const std::vector<std::string>& f = *fields;
      if (!IsMatchableSize(f[1])) {
        Problem(at + key + " has the size " + Quoted(f[1]) +
                ", neither default nor a size in decimal: it matches no file");
      }
      if (!IsFileKind(f[2])) {
        Problem(at + key + " has the unknown kind " + Quoted(f[2]) +
                ": the agent tests the path as it stands");
      }
    }
    const std::vector<std::int32_t> regs = RuleNumbers(i, section, "Reg", entry.reg_count);
    for (const std::int32_t j : regs) {
      const std::string key = "Reg" + std::to_string(j);
      const auto fields = Fields(at + key, section, key, 5, "root#subkey#name#data#kind");
      if (!fields) continue;
      const std::vector<std::string>& f = *fields;
      if (!platform::RootKeyFromName(f[0])) {
        Problem(at + key + " has the unknown root " + Quoted(f[0]) + ": the agent skips it");
      }
      if (!IsRegKind(f[4])) {
        Problem(at + key + " has the unknown kind " + Quoted(f[4]) + ": the agent skips it");
      }
    }
    checked.file_rules = static_cast<int>(files.size());
    checked.reg_rules = static_cast<int>(regs.size());
  }

  platform::IniDocument document_;
  scan::PatternDatabase db_;
  DatabaseReport report_;
};

std::string Plural(int n, std::string_view one, std::string_view many) {
  return std::to_string(n) + " " + std::string(n == 1 ? one : many);
}

}  // namespace

DatabaseReport CheckDatabase(std::string_view content) {
  return Checker(content).Run();
}

std::string FormatReport(const DatabaseReport& report, std::string_view file_name) {
  std::string out = std::string(file_name) + "\n";
  out += "  date: " + (report.date.empty() ? "(none)" : FromCp949(report.date)) + "\n";
  out += "  entries: " + std::to_string(report.entry_count) + "\n";
  for (const CheckedEntry& entry : report.entries) {
    out += "  " + scan::EntrySection(entry.number) + " " + Quoted(entry.name) + ": " +
           Plural(entry.file_rules, "file rule", "file rules") + ", " +
           Plural(entry.reg_rules, "registry rule", "registry rules") + "\n";
  }
  for (const std::string& problem : report.problems) out += "  problem: " + problem + "\n";
  if (!report.usable()) {
    out += "not usable: the agent refuses a database without entries\n";
  } else if (!report.problems.empty()) {
    out += "usable, but " +
           Plural(static_cast<int>(report.problems.size()), "problem", "problems") +
           ": the agent would skip or cut what is named above\n";
  } else {
    out += "usable: the agent reads every entry and rule whole\n";
  }
  return out;
}

}  // namespace tvac::app::publish
