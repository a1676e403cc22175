#include "platform/ini.h"

#include <algorithm>

#include "platform/files.h"
#include "platform/text.h"

namespace tvac::platform {
namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

}  // namespace

std::string CopyProfileValue(std::string_view value, std::size_t buffer_size) {
  if (buffer_size == 0) return {};
  bool quoted = false;
  if (value.size() > 1 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    quoted = true;
    value.remove_prefix(1);
  }
  std::string out(value.substr(0, std::min(value.size(), buffer_size - 1)));
  if (quoted && buffer_size >= value.size() && !out.empty()) out.pop_back();
  return out;
}

IniDocument IniDocument::Parse(std::string_view content) {
  if (content.substr(0, kUtf8Bom.size()) == kUtf8Bom) content.remove_prefix(kUtf8Bom.size());

  IniDocument doc;
  // Keys go to the section being read, or nowhere: before the first section, and
  // in a repeated section, since only the first section of a name is ever looked in.
  Section* current = nullptr;
  while (!content.empty()) {
    const std::size_t end = content.find('\n');
    std::string_view line = TrimProfileBlanks(content.substr(0, end));
    content.remove_prefix(end == std::string_view::npos ? content.size() : end + 1);
    if (line.empty()) continue;

    if (line.front() == '[') {
      const std::size_t close = line.rfind(']');
      if (close != std::string_view::npos) {
        const auto [it, added] =
            doc.section_index_.try_emplace(AsciiLower(line.substr(1, close - 1)), 0);
        current = nullptr;
        if (added) {
          it->second = doc.sections_.size();
          current = &doc.sections_.emplace_back();
        }
        continue;
      }
      // A "[" without "]" is read as a key line.
    }
    if (current == nullptr) continue;

    std::string_view name = line;
    std::optional<std::string> value;
    if (const std::size_t eq = line.find('='); eq != std::string_view::npos) {
      name = TrimProfileBlanks(line.substr(0, eq));
      value = std::string(TrimProfileBlanks(line.substr(eq + 1)));
    }
    current->keys.try_emplace(AsciiLower(name), std::move(value));  // the first key wins
  }
  return doc;
}

std::string IniDocument::Get(std::string_view section, std::string_view key,
                             std::string_view fallback, std::size_t buffer_size) const {
  // The profile reader drops trailing spaces from the default before anything else.
  while (!fallback.empty() && fallback.back() == ' ') fallback.remove_suffix(1);

  const auto found_section = section_index_.find(AsciiLower(TrimProfileBlanks(section)));
  if (found_section != section_index_.end()) {
    const Section& s = sections_[found_section->second];
    const auto found_key = s.keys.find(AsciiLower(TrimProfileBlanks(key)));
    if (found_key != s.keys.end() && found_key->second) {
      return CopyProfileValue(*found_key->second, buffer_size);
    }
  }
  return CopyProfileValue(fallback, buffer_size);
}

std::vector<std::string> IniDocument::SectionNames() const {
  std::vector<std::string> names;
  names.reserve(section_index_.size());
  for (const auto& [name, index] : section_index_) names.push_back(name);
  return names;
}

std::vector<std::string> IniDocument::KeyNames(std::string_view section) const {
  std::vector<std::string> names;
  const auto found = section_index_.find(AsciiLower(TrimProfileBlanks(section)));
  if (found == section_index_.end()) return names;
  for (const auto& [name, value] : sections_[found->second].keys) {
    if (value) names.push_back(name);
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
