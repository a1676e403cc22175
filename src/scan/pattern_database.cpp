#include "scan/pattern_database.h"

#include <algorithm>
#include <array>
#include <optional>

#include "base/texts.h"
#include "platform/files.h"
#include "platform/text.h"

namespace tvac::scan {
namespace {

constexpr int kPad = 64;
constexpr int kSkip = -1;

constexpr std::array<signed char, 256> kSymbols = [] {
  std::array<signed char, 256> table{};
  table.fill(kSkip);
  for (int c = 'A'; c <= 'Z'; ++c) table[c] = static_cast<signed char>(c - 'A');
  for (int c = 'a'; c <= 'z'; ++c) table[c] = static_cast<signed char>(c - 'a' + 26);
  for (int c = '0'; c <= '9'; ++c) table[c] = static_cast<signed char>(c - '0' + 52);
  table['+'] = 62;
  table['/'] = 63;
  table['='] = kPad;
  return table;
}();

int Symbol(char c) {
  return kSymbols[static_cast<unsigned char>(c)];
}

// A pad inside the text counts as zero bits.
unsigned Bits(int symbol) {
  return symbol == kPad ? 0u : static_cast<unsigned>(symbol);
}

char Byte(unsigned value) {
  return static_cast<char>(value & 0xFFu);
}

// The numbers n from 1 to `last` for which `prefix` + n (n in decimal without
// leading zeros) is among `names`, letter case aside; ascending.
template <typename Names>
std::vector<std::int32_t> NumberedNames(const Names& names, std::string_view prefix,
                                        std::int32_t last) {
  std::vector<std::int32_t> numbers;
  for (std::string_view name : names) {
    if (name.size() <= prefix.size() ||
        !platform::EqualsIgnoringAsciiCase(name.substr(0, prefix.size()), prefix)) {
      continue;
    }
    const std::string_view digits = name.substr(prefix.size());
    if (digits.front() == '0' || digits.size() > 10 ||
        !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
      continue;
    }
    std::int64_t n = 0;
    for (char c : digits) n = n * 10 + (c - '0');
    if (n >= 1 && n <= last) numbers.push_back(static_cast<std::int32_t>(n));
  }
  std::sort(numbers.begin(), numbers.end());
  return numbers;
}

// The fields of a rule text, as parts of it; a missing field reads as empty.
template <std::size_t N>
std::array<std::string_view, N> RuleFields(std::string_view text) {
  std::array<std::string_view, N> fields{};
  for (std::size_t k = 0; k < N; ++k) {
    const std::size_t sep = text.find('#');
    fields[k] = text.substr(0, sep);
    if (sep == std::string_view::npos) break;
    text.remove_prefix(sep + 1);
  }
  return fields;
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
  DecodeBase64Into(text, out);
  return out;
}

void DecodeBase64Into(std::string_view text, std::string& out) {
  // Whole groups of four plain symbols with more than three characters after them,
  // as canonical Base64 is but for its end, go four at a time.
  out.resize(text.size() / 4 * 3);
  std::size_t pos = 0, written = 0;
  while (pos + 7 < text.size()) {
    const int a = Symbol(text[pos]), b = Symbol(text[pos + 1]), c = Symbol(text[pos + 2]),
              d = Symbol(text[pos + 3]);
    if (((a | b | c | d) & ~63) != 0) break;  // a skipped character or a pad
    out[written++] = Byte((static_cast<unsigned>(a) << 2) | (static_cast<unsigned>(b) >> 4));
    out[written++] = Byte((static_cast<unsigned>(b) << 4) | (static_cast<unsigned>(c) >> 2));
    out[written++] = Byte((static_cast<unsigned>(c) << 6) | static_cast<unsigned>(d));
    pos += 4;
  }
  out.resize(written);
  int group[4];
  int filled = 0;
  for (; pos < text.size(); ++pos) {
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
  out.resize(std::min(out.size(), out.find('\0')));
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
  std::optional<std::string> content = files.ReadAll(path);
  if (!content) return PatternDatabase();
  return PatternDatabase(platform::IniDocument::ParseOwned(std::move(*content)));
}

std::string_view PatternDatabase::Value(std::string_view section, std::string_view key) const {
  return document_.View(section, key, "");
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

// The decoded text of a rule, in a buffer of the calling thread's that is used again
// for its next rule.
std::string_view PatternDatabase::RuleText(std::int32_t i, std::string_view prefix,
                                           std::int32_t j) const {
  thread_local std::string decoded;
  std::string key(prefix);
  key += std::to_string(j);
  DecodeBase64Into(Value(EntrySection(i), key), decoded);
  return decoded;
}

FileRule PatternDatabase::File(std::int32_t i, std::int32_t j) const {
  const auto fields = RuleFields<3>(RuleText(i, "File", j));
  return {std::string(fields[0]), std::string(fields[1]), std::string(fields[2])};
}

RegRule PatternDatabase::Reg(std::int32_t i, std::int32_t j) const {
  const auto fields = RuleFields<5>(RuleText(i, "Reg", j));
  return {std::string(fields[0]), std::string(fields[1]), std::string(fields[2]),
          std::string(fields[3]), std::string(fields[4])};
}

std::string PatternDatabase::DbInfo() const {
  std::string info(Value("DBINFO", "Info"));
  const std::string_view label = texts::kDbDateLabel;
  for (std::size_t at = info.find(label); at != std::string::npos; at = info.find(label, at)) {
    info.erase(at, label.size());
  }
  return info;
}

std::vector<std::int32_t> PatternDatabase::PresentEntries(std::int32_t last) const {
  return NumberedNames(document_.SectionNames(), "DeziRiv", last);
}

std::vector<std::int32_t> PatternDatabase::PresentRules(std::int32_t i, std::string_view prefix,
                                                        std::int32_t last) const {
  return NumberedNames(document_.KeysAsWritten(EntrySection(i)), prefix, last);
}

bool IsUsableDatabase(platform::Files& files, std::string_view path) {
  return PatternDatabase::Load(files, path).EntryCount() > 0;
}

}  // namespace tvac::scan
