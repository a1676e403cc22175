#pragma once

#include <cstddef>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tvac::platform {

class Files;

// The byte size of every buffer the program reads INI values into.
inline constexpr std::size_t kIniBufferSize = 260;

// Copies `value` into a buffer of `buffer_size` bytes the way the profile reader
// does: at most buffer_size - 1 bytes, and a value wrapped in matching quotes loses
// them. The closing quote is dropped only when the unquoted rest fit the buffer.
std::string CopyProfileValue(std::string_view value, std::size_t buffer_size);

// An INI file read once and looked up many times, with the lookup rules of the
// system's private-profile reader:
// - lines end at "\n"; blanks (and "\r") around a line are ignored;
// - "[name]" starts a section (up to the last "]" of the line);
// - "name=value" is a key, blanks around the name and before the value ignored;
//   a line without "=" is a key without a value, which reads as missing;
// - section and key names compare without regard to ASCII letter case; only the
//   first section of a name, and the first key of a name in it, is ever found;
// - a value enclosed in matching quotes (' or ") is read without them;
// - a leading UTF-8 byte-order mark is skipped.
// Texts are code page 949 bytes and are never converted.
class IniDocument {
 public:
  IniDocument() = default;
  static IniDocument Parse(std::string_view content);

  // The value, or `fallback` when the section or key is missing, cut to fit a
  // buffer of `buffer_size` bytes with its terminating zero.
  std::string Get(std::string_view section, std::string_view key, std::string_view fallback,
                  std::size_t buffer_size = kIniBufferSize) const;

  // The names of the sections that lookups can find, and the names of the keys in
  // one of them that have a value; all in ASCII lower case, in no particular order.
  std::vector<std::string> SectionNames() const;
  std::vector<std::string> KeyNames(std::string_view section) const;

 private:
  struct Section {
    std::unordered_map<std::string, std::optional<std::string>> keys;  // by folded name
  };
  std::deque<Section> sections_;  // a deque keeps addresses while sections are added
  std::unordered_map<std::string, std::size_t> section_index_;  // by folded name
};

// One lookup in the file at `path`; a missing or unreadable file reads as empty.
std::string ReadIniString(Files& files, std::string_view path, std::string_view section,
                          std::string_view key, std::string_view fallback,
                          std::size_t buffer_size = kIniBufferSize);

}  // namespace tvac::platform
