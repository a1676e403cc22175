#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tvac::platform {

// The canonical form of a full Windows path: "\" as the separator, "." and ".."
// resolved, no empty parts and no trailing "\" except on a drive root ("C:\").
// A UNC path keeps its "\\server\share" head. nullopt for a path that is not full
// (relative, or ".." above the root).
std::optional<std::string> NormalizeFullPath(std::string_view path);

// True for "C:\" and "\\server\share" (normalized paths).
bool IsRootPath(std::string_view normalized);

// True when `ancestor` is `path` or one of the folders that hold it (normalized
// paths, ASCII letter case ignored).
bool IsSameOrAncestor(std::string_view ancestor, std::string_view path);

// The folder that holds `normalized`; empty for a root.
std::string_view ParentPath(std::string_view normalized);

// The part after the last "\" (the whole text when there is none).
std::string_view FileNameOf(std::string_view path);

}  // namespace tvac::platform
