#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ini.h"

namespace tvac::platform {
class Files;
}

namespace tvac::scan {

// Base64 as the database is written: standard alphabet, "=" pads, every other
// character skipped. A group of four that the text does not complete is dropped; the
// group followed by at most three more characters is the last and stops at its first
// pad. The result is text: it ends at its first zero byte.
std::string DecodeBase64(std::string_view text);
// The same into `out`, whose buffer is used again.
void DecodeBase64Into(std::string_view text, std::string& out);

// The fields of a rule text, split at every "#".
std::vector<std::string> SplitRule(std::string_view text);

struct PatternEntry {
  std::string name;  // decoded
  std::string info;  // decoded
  std::int32_t file_count = 0;
  std::int32_t reg_count = 0;
};

struct FileRule {
  std::string path;
  std::string size;  // decimal bytes, or "default"
  std::string kind;
};

struct RegRule {
  std::string root;
  std::string subkey;
  std::string value_name;
  std::string value_data;  // or "default"
  std::string kind;
};

// The signature database, read once: a scan works on one consistent snapshot even
// when an update replaces the file meanwhile. Lookups follow the INI rules (names
// ignore case, a missing key reads as empty, values are cut to 259 bytes). A missing
// field of a rule reads as empty.
class PatternDatabase {
 public:
  PatternDatabase() = default;
  explicit PatternDatabase(platform::IniDocument document);

  // A missing or unreadable file gives an empty database; `loaded` tells them apart.
  static PatternDatabase Load(platform::Files& files, std::string_view path);
  bool loaded() const { return loaded_; }

  std::int32_t EntryCount() const;
  PatternEntry Entry(std::int32_t i) const;
  FileRule File(std::int32_t i, std::int32_t j) const;
  RegRule Reg(std::int32_t i, std::int32_t j) const;
  // The date line without its label.
  std::string DbInfo() const;

  // The entry numbers from 1 to `last` whose section is present, ascending. Entries
  // without a section have no rules, so a scan can skip them however large the count.
  std::vector<std::int32_t> PresentEntries(std::int32_t last) const;
  // The same for the numbered keys "File"j or "Reg"j of entry i, j from 1 to `last`.
  std::vector<std::int32_t> PresentRules(std::int32_t i, std::string_view prefix,
                                         std::int32_t last) const;

 private:
  std::string_view Value(std::string_view section, std::string_view key) const;
  std::string_view RuleText(std::int32_t i, std::string_view prefix, std::int32_t j) const;

  platform::IniDocument document_;
  bool loaded_ = false;
};

// The section name of entry i: "DeziRiv" and i in decimal.
std::string EntrySection(std::int32_t i);

// A database the program can use: the file at `path` holds a positive
// TotalCount/Count.
bool IsUsableDatabase(platform::Files& files, std::string_view path);

}  // namespace tvac::scan
