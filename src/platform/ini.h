#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
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
// The same text, as a part of `value`.
std::string_view ProfileValueView(std::string_view value, std::size_t buffer_size);

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
// Texts are code page 949 bytes and are never converted. The document keeps one
// copy of the file's text, shared by its copies; names and values are parts of it.
class IniDocument {
 public:
  IniDocument() = default;
  static IniDocument Parse(std::string_view content);
  // The same, keeping `content` itself rather than a copy of it.
  static IniDocument ParseOwned(std::string content);

  // The value, or `fallback` when the section or key is missing, cut to fit a
  // buffer of `buffer_size` bytes with its terminating zero.
  std::string Get(std::string_view section, std::string_view key, std::string_view fallback,
                  std::size_t buffer_size = kIniBufferSize) const;
  // The same without a copy: a part of the document, or of `fallback`.
  std::string_view View(std::string_view section, std::string_view key,
                        std::string_view fallback,
                        std::size_t buffer_size = kIniBufferSize) const;

  // The names of the sections that lookups can find, and the names of the keys in
  // one of them that have a value; all in ASCII lower case, in no particular order.
  std::vector<std::string> SectionNames() const;
  std::vector<std::string> KeyNames(std::string_view section) const;
  // The names of those keys as the file writes them, in the file's order.
  std::vector<std::string_view> KeysAsWritten(std::string_view section) const;

 private:
  struct FoldedHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const noexcept;
  };
  struct FoldedEqual {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const noexcept;
  };
  using NameIndex = std::unordered_map<std::string_view, std::uint32_t, FoldedHash, FoldedEqual>;

  // A key without "=" has no value: its value's data is null.
  struct Key {
    std::string_view name;
    std::string_view value;
    bool has_value() const { return value.data() != nullptr; }
  };
  // A section's keys are keys_[first, first + count), in the file's order.
  struct Section {
    std::uint32_t first = 0;
    std::uint32_t count = 0;
  };
  void AddKey(std::uint32_t section, const Key& key);
  const Key* Find(std::string_view section, std::string_view key) const;
  const Section* FindSection(std::string_view section) const;

  std::shared_ptr<const std::string> text_;
  std::vector<Section> sections_;
  std::vector<Key> keys_;
  NameIndex section_index_;
  // Sections of many keys also find them by name: section number to key index.
  std::unordered_map<std::uint32_t, NameIndex> big_sections_;
};

// One lookup in the file at `path`; a missing or unreadable file reads as empty.
std::string ReadIniString(Files& files, std::string_view path, std::string_view section,
                          std::string_view key, std::string_view fallback,
                          std::size_t buffer_size = kIniBufferSize);

}  // namespace tvac::platform
