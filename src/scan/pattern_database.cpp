#include "scan/pattern_database.h"

#include <algorithm>
#include <optional>

#include "base/texts.h"
#include "platform/files.h"
#include "platform/text.h"

namespace tvac::scan {
namespace {

constexpr int kPad = 64;
constexpr int kSkip = -1;

int Symbol(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  if (c == '=') return kPad;
  return kSkip;
}

// A pad inside the text counts as zero bits.
unsigned Bits(int symbol) {
  return symbol == kPad ? 0u : static_cast<unsigned>(symbol);
}

char Byte(unsigned value) {
  return static_cast<char>(value & 0xFFu);
}

// The numbers n from 1 to `last` for which `prefix` + n (n in decimal without
// leading zeros) is among `names` (lower-case prefix).
std::vector<std::int32_t> NumberedNames(const std::vector<std::string>& names,
                                        std::string_view prefix, std::int32_t last) {
  std::vector<std::int32_t> numbers;
  for (const std::string& name : names) {
    if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) continue;
    const std::string_view digits = std::string_view(name).substr(prefix.size());
    if (digits.front() == '0' || digits.size() > 10 ||
        !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
      continue;
    }
    const std::int64_t n = std::stoll(std::string(digits));
    if (n >= 1 && n <= last) numbers.push_back(static_cast<std::int32_t>(n));
  }
  std::sort(numbers.begin(), numbers.end());
  return numbers;
}

std::string Field(const std::vector<std::string>& fields, std::size_t k) {
  return k < fields.size() ? fields[k] : std::string();
}

// The last group stops at its first pad, giving the pad's bits shifted into place.
void AppendLastGroup(const int (&group)[4], std::string& out) {
  const unsigned s0 = Bits(group[0]), s1 = Bits(group[1]), s2 = Bits(group[2]);
  if (group[1] == kPad) {
    out += Byte(s0 << 2);
    return;
  }
  out += Byte((s0 << 2) | (s1 >> 4));
  if (group[2] == kPad) {
    out += Byte(s1 << 4);
    return;
  }
  out += Byte((s1 << 4) | (s2 >> 2));
  if (group[3] == kPad) {
    out += Byte(s2 << 6);
    return;
  }
  out += Byte((s2 << 6) | Bits(group[3]));
}

}  // namespace

std::string DecodeBase64(std::string_view text) {
  std::string out;
  int group[4];
  int filled = 0;
  for (std::size_t pos = 0; pos < text.size(); ++pos) {
    const int symbol = Symbol(text[pos]);
    if (symbol == kSkip) continue;
    group[filled++] = symbol;
    if (filled < 4) continue;
    filled = 0;
    const bool last = text.size() - (pos + 1) <= 3;
    if (!last) {
      const unsigned s0 = Bits(group[0]), s1 = Bits(group[1]), s2 = Bits(group[2]),
                     s3 = Bits(group[3]);
      out += Byte((s0 << 2) | (s1 >> 4));
      out += Byte((s1 << 4) | (s2 >> 2));
      out += Byte((s2 << 6) | s3);
      continue;
    }
    AppendLastGroup(group, out);
    break;
  }
  return out.substr(0, out.find('\0'));
}

std::vector<std::string> SplitRule(std::string_view text) {
  std::vector<std::string> fields;
  for (;;) {
    const std::size_t sep = text.find('#');
    fields.emplace_back(text.substr(0, sep));
    if (sep == std::string_view::npos) return fields;
    text.remove_prefix(sep + 1);
  }
}

std::string EntrySection(std::int32_t i) {
  return "DeziRiv" + std::to_string(i);
}

PatternDatabase::PatternDatabase(platform::IniDocument document)
    : document_(std::move(document)), loaded_(true) {}

PatternDatabase PatternDatabase::Load(platform::Files& files, std::string_view path) {
  const std::optional<std::string> content = files.ReadAll(path);
  if (!content) return PatternDatabase();
  return PatternDatabase(platform::IniDocument::Parse(*content));
}

std::string PatternDatabase::Value(std::string_view section, std::string_view key) const {
  return document_.Get(section, key, "");
}

std::int32_t PatternDatabase::EntryCount() const {
  return platform::LeadingNumber(Value("TotalCount", "Count"));
}

PatternEntry PatternDatabase::Entry(std::int32_t i) const {
  const std::string section = EntrySection(i);
  return {DecodeBase64(Value(section, "Name")), DecodeBase64(Value(section, "Info")),
          platform::LeadingNumber(Value(section, "FileCount")),
          platform::LeadingNumber(Value(section, "RegCount"))};
}

FileRule PatternDatabase::File(std::int32_t i, std::int32_t j) const {
  const auto fields = SplitRule(DecodeBase64(Value(EntrySection(i), "File" + std::to_string(j))));
  return {Field(fields, 0), Field(fields, 1), Field(fields, 2)};
}

RegRule PatternDatabase::Reg(std::int32_t i, std::int32_t j) const {
  const auto fields = SplitRule(DecodeBase64(Value(EntrySection(i), "Reg" + std::to_string(j))));
  return {Field(fields, 0), Field(fields, 1), Field(fields, 2), Field(fields, 3), Field(fields, 4)};
}

std::string PatternDatabase::DbInfo() const {
  std::string info = Value("DBINFO", "Info");
  const std::string_view label = texts::kDbDateLabel;
  for (std::size_t at = info.find(label); at != std::string::npos; at = info.find(label, at)) {
    info.erase(at, label.size());
  }
  return info;
}

std::vector<std::int32_t> PatternDatabase::PresentEntries(std::int32_t last) const {
  return NumberedNames(document_.SectionNames(), "deziriv", last);
}

std::vector<std::int32_t> PatternDatabase::PresentRules(std::int32_t i, std::string_view prefix,
                                                        std::int32_t last) const {
  std::string lower(prefix);
  for (char& c : lower) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return NumberedNames(document_.KeyNames(EntrySection(i)), lower, last);
}

bool IsUsableDatabase(platform::Files& files, std::string_view path) {
  return PatternDatabase::Load(files, path).EntryCount() > 0;
}

}  // namespace tvac::scan
