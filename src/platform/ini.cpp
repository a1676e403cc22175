#include "platform/ini.h"

#include <algorithm>

#include "platform/files.h"
#include "platform/text.h"

namespace tvac::platform {
namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// Names and values are texts: a zero byte ends one, while its line goes on.
std::string_view UpToZero(std::string_view text) {
  return text.substr(0, text.find('\0'));
}

}  // namespace

// Sections of more keys than this find them by name; smaller ones look through.
constexpr std::size_t kIndexedFrom = 16;

std::string_view ProfileValueView(std::string_view value, std::size_t buffer_size) {
  if (buffer_size == 0) return {};
  bool quoted = false;
  if (value.size() > 1 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    quoted = true;
    value.remove_prefix(1);
  }
  std::string_view out = value.substr(0, std::min(value.size(), buffer_size - 1));
  if (quoted && buffer_size >= value.size() && !out.empty()) out.remove_suffix(1);
  return out;
}

std::string CopyProfileValue(std::string_view value, std::size_t buffer_size) {
  return std::string(ProfileValueView(value, buffer_size));
}

std::size_t IniDocument::FoldedHash::operator()(std::string_view text) const noexcept {
  return AsciiCaseFoldedHash(text);
}

bool IniDocument::FoldedEqual::operator()(std::string_view a, std::string_view b) const noexcept {
  return EqualsIgnoringAsciiCase(a, b);
}

void IniDocument::AddKey(std::uint32_t number, const Key& key) {
  Section& section = sections_[number];
  const auto at = static_cast<std::uint32_t>(keys_.size());
  if (section.count < kIndexedFrom) {
    for (std::uint32_t k = section.first; k < at; ++k) {
      if (EqualsIgnoringAsciiCase(keys_[k].name, key.name)) return;  // the first key wins
    }
    keys_.push_back(key);
    if (++section.count == kIndexedFrom) {
      NameIndex& index = big_sections_[number];
      for (std::uint32_t k = section.first; k <= at; ++k) index.emplace(keys_[k].name, k);
    }
    return;
  }
  if (big_sections_[number].try_emplace(key.name, at).second) {
    keys_.push_back(key);
    ++section.count;
  }
}

IniDocument IniDocument::Parse(std::string_view content) {
  return ParseOwned(std::string(content));
}

IniDocument IniDocument::ParseOwned(std::string content) {
  IniDocument doc;
  auto text = std::make_shared<const std::string>(std::move(content));
  doc.text_ = text;
  std::string_view rest = *text;
  if (rest.substr(0, kUtf8Bom.size()) == kUtf8Bom) rest.remove_prefix(kUtf8Bom.size());
  // Room for every line as a key and every "[" as a section, so that nothing grows
  // while the file is read.
  std::size_t lines = 1, brackets = 0;
  for (char c : rest) {
    lines += c == '\n' || c == '\r';
    brackets += c == '[';
  }
  doc.keys_.reserve(lines);
  doc.sections_.reserve(brackets);
  doc.section_index_.reserve(brackets);
  // Keys go to the section being read, or nowhere: before the first section, and
  // in a repeated section, since only the first section of a name is ever looked in.
  constexpr std::uint32_t kNowhere = UINT32_MAX;
  std::uint32_t current = kNowhere;
  // One pass over the bytes: each line, where its first "=" is, and whether it holds
  // a zero byte.
  const char* at = rest.data();
  const char* const stop = at + rest.size();
  while (at < stop) {
    const char* const start = at;
    const char* eq = nullptr;
    bool zero = false;
    for (; at < stop && *at != '\n' && *at != '\r'; ++at) {  // either ends a line
      if (*at == '=') {
        if (eq == nullptr) eq = at;
      } else if (*at == '\0') {
        zero = true;
      }
    }
    const std::string_view raw(start, static_cast<std::size_t>(at - start));
    if (at < stop) ++at;
    const auto text = [zero](std::string_view part) { return zero ? UpToZero(part) : part; };
    const std::string_view line = TrimProfileBlanks(raw);
    if (line.empty()) continue;

    if (line.front() == '[') {
      const std::size_t close = line.rfind(']');
      if (close != std::string_view::npos) {
        const auto number = static_cast<std::uint32_t>(doc.sections_.size());
        const bool added =
            doc.section_index_.try_emplace(text(line.substr(1, close - 1)), number).second;
        current = kNowhere;
        if (added) {
          doc.sections_.push_back({static_cast<std::uint32_t>(doc.keys_.size()), 0});
          current = number;
        }
        continue;
      }
      // A "[" without "]" is read as a key line.
    }
    if (current == kNowhere) continue;

    Key key{text(line), {}};
    if (eq != nullptr) {
      // "=" is no blank, so it lies inside the trimmed line. The value is a part of
      // the line even when empty: the key has a value.
      const std::size_t split = static_cast<std::size_t>(eq - line.data());
      key = {text(TrimProfileBlanks(line.substr(0, split))),
             text(TrimProfileBlanks(line.substr(split + 1)))};
    }
    doc.AddKey(current, key);
  }
  return doc;
}

const IniDocument::Section* IniDocument::FindSection(std::string_view section) const {
  const auto found = section_index_.find(TrimProfileBlanks(section));
  return found == section_index_.end() ? nullptr : &sections_[found->second];
}

const IniDocument::Key* IniDocument::Find(std::string_view section, std::string_view key) const {
  const Section* s = FindSection(section);
  if (s == nullptr) return nullptr;
  key = TrimProfileBlanks(key);
  if (s->count >= kIndexedFrom) {
    const NameIndex& index = big_sections_.at(static_cast<std::uint32_t>(s - sections_.data()));
    const auto found = index.find(key);
    return found == index.end() ? nullptr : &keys_[found->second];
  }
  for (std::uint32_t k = s->first; k < s->first + s->count; ++k) {
    if (EqualsIgnoringAsciiCase(keys_[k].name, key)) return &keys_[k];
  }
  return nullptr;
}

std::string_view IniDocument::View(std::string_view section, std::string_view key,
                                   std::string_view fallback, std::size_t buffer_size) const {
  const Key* found = Find(section, key);
  if (found != nullptr && found->has_value()) return ProfileValueView(found->value, buffer_size);
  // The profile reader drops trailing spaces from the default before anything else.
  while (!fallback.empty() && fallback.back() == ' ') fallback.remove_suffix(1);
  return ProfileValueView(fallback, buffer_size);
}

std::string IniDocument::Get(std::string_view section, std::string_view key,
                             std::string_view fallback, std::size_t buffer_size) const {
  return std::string(View(section, key, fallback, buffer_size));
}

std::vector<std::string> IniDocument::SectionNames() const {
  std::vector<std::string> names;
  names.reserve(section_index_.size());
  for (const auto& [name, index] : section_index_) names.push_back(AsciiLower(name));
  return names;
}

std::vector<std::string> IniDocument::KeyNames(std::string_view section) const {
  std::vector<std::string> names;
  for (std::string_view name : KeysAsWritten(section)) names.push_back(AsciiLower(name));
  return names;
}

std::vector<std::string_view> IniDocument::KeysAsWritten(std::string_view section) const {
  std::vector<std::string_view> names;
  if (const Section* s = FindSection(section)) {
    for (std::uint32_t k = s->first; k < s->first + s->count; ++k) {
      if (keys_[k].has_value()) names.push_back(keys_[k].name);
    }
  }
  return names;
}

std::string ReadIniString(Files& files, std::string_view path, std::string_view section,
                          std::string_view key, std::string_view fallback,
                          std::size_t buffer_size) {
  const std::optional<std::string> content = files.ReadAll(path);
  return IniDocument::Parse(content ? *content : std::string_view{})
      .Get(section, key, fallback, buffer_size);
}

}  // namespace tvac::platform
