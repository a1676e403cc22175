#pragma once

#include <optional>
#include <string>
#include <string_view>

// The publisher's own file access, on the machine it runs on (POSIX).
namespace tvac::app::publish {

// The whole file; nullopt with `error` set when it cannot be read.
std::optional<std::string> ReadWholeFile(const std::string& path, std::string& error);

// Writes `bytes` to a new file beside `path`, then renames it over `path`: whoever
// opens `path` finds the old file or the new one whole, never a part. On failure
// `path` is untouched, nothing is left beside it, and `error` says what failed.
bool ReplaceFile(const std::string& path, std::string_view bytes, std::string& error);

}  // namespace tvac::app::publish
