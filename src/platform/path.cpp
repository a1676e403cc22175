#include "platform/path.h"

#include <vector>

#include "platform/text.h"

namespace tvac::platform {
namespace {

bool IsDriveLetter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// Length of the root head in a path whose separators are already "\": 2 for "C:",
// the length of "\\server\share" for a UNC path, 0 when the path is not full.
std::size_t RootHeadLength(std::string_view p) {
  if (p.size() >= 3 && IsDriveLetter(p[0]) && p[1] == ':' && p[2] == '\\') return 2;
  if (p.size() > 2 && p[0] == '\\' && p[1] == '\\') {
    const std::size_t server_end = p.find('\\', 2);
    if (server_end == std::string_view::npos || server_end == 2) return 0;
    std::size_t share_end = p.find('\\', server_end + 1);
    if (share_end == std::string_view::npos) share_end = p.size();
    if (share_end == server_end + 1) return 0;
    return share_end;
  }
  return 0;
}

}  // namespace

std::optional<std::string> NormalizeFullPath(std::string_view path) {
  std::string p(path);
  for (char& c : p) {
    if (c == '/') c = '\\';
  }
  const std::size_t head = RootHeadLength(p);
  if (head == 0) return std::nullopt;

  std::vector<std::string_view> parts;
  std::string_view rest = std::string_view(p).substr(head);
  while (!rest.empty()) {
    const std::size_t sep = rest.find('\\');
    const std::string_view part = rest.substr(0, sep);
    rest.remove_prefix(sep == std::string_view::npos ? rest.size() : sep + 1);
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      if (parts.empty()) return std::nullopt;
      parts.pop_back();
      continue;
    }
    parts.push_back(part);
  }

  std::string out = p.substr(0, head);
  if (parts.empty() && head == 2) out += '\\';
  for (std::string_view part : parts) {
    out += '\\';
    out += part;
  }
  return out;
}

bool IsRootPath(std::string_view normalized) {
  const std::size_t head = RootHeadLength(normalized);
  if (head == 2) return normalized.size() == 3;
  return head != 0 && normalized.size() == head;
}

bool IsSameOrAncestor(std::string_view ancestor, std::string_view path) {
  if (ancestor.empty() || path.size() < ancestor.size()) return false;
  if (!EqualsIgnoringAsciiCase(ancestor, path.substr(0, ancestor.size()))) return false;
  return path.size() == ancestor.size() || ancestor.back() == '\\' || path[ancestor.size()] == '\\';
}

std::string_view ParentPath(std::string_view normalized) {
  if (IsRootPath(normalized)) return {};
  const std::size_t sep = normalized.rfind('\\');
  if (sep == std::string_view::npos) return {};
  const std::string_view parent = normalized.substr(0, sep);
  // "C:\x" has the parent "C:\", not "C:".
  if (parent.size() == 2 && parent[1] == ':') return normalized.substr(0, 3);
  return parent;
}

std::string_view FileNameOf(std::string_view path) {
  const std::size_t sep = path.rfind('\\');
  return sep == std::string_view::npos ? path : path.substr(sep + 1);
}

}  // namespace tvac::platform
