#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "platform/registry.h"

// Registry values as text, the way the settings, the scans and the cure read and
// write them, and the root key names the database uses.
namespace tvac::platform {

// "HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER" or "HKEY_LOCAL_MACHINE", compared exactly;
// nullopt for every other text.
std::optional<RootKey> RootKeyFromName(std::string_view name);

// Reads a value as text into `buffer` (a buffer of `buffer_size` bytes: the stored
// bytes up to their first zero). Opening creates the key when it is missing. Returns
// 1 when the value was read. Returns 0 with `fallback` in the buffer when the value
// is missing or does not fit, and 0 with the buffer untouched when the key cannot be
// opened.
int ReadRegistryString(Registry& registry, RootKey root, std::string_view path,
                       std::string_view name, std::string_view fallback, std::string& buffer,
                       std::size_t buffer_size = 260);

// Stores `text` as REG_SZ, creating the key path when needed. 1 when written, else 0.
int WriteRegistryString(Registry& registry, RootKey root, std::string_view path,
                        std::string_view name, std::string_view text);

// 1 when the value was deleted; 0 otherwise (a missing key is not created).
int DeleteRegistryValue(Registry& registry, RootKey root, std::string_view path,
                        std::string_view name);

}  // namespace tvac::platform
