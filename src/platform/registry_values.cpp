#include "platform/registry_values.h"

namespace tvac::platform {

std::optional<RootKey> RootKeyFromName(std::string_view name) {
  if (name == "HKEY_CLASSES_ROOT") return RootKey::kClassesRoot;
  if (name == "HKEY_CURRENT_USER") return RootKey::kCurrentUser;
  if (name == "HKEY_LOCAL_MACHINE") return RootKey::kLocalMachine;
  return std::nullopt;
}

int ReadRegistryString(Registry& registry, RootKey root, std::string_view path,
                       std::string_view name, std::string_view fallback, std::string& buffer,
                       std::size_t buffer_size) {
  OpenedKey opened = registry.Create(root, path, KeyAccess::kRead);
  if (opened.error != kOk) return 0;
  std::string data;
  if (opened.key->QueryValue(name, buffer_size, data) == kOk) {
    buffer = data.substr(0, data.find('\0'));
    return 1;
  }
  buffer = fallback.substr(0, buffer_size == 0 ? 0 : buffer_size - 1);
  return 0;
}

int WriteRegistryString(Registry& registry, RootKey root, std::string_view path,
                        std::string_view name, std::string_view text) {
  OpenedKey opened = registry.Create(root, path, KeyAccess::kWrite);
  if (opened.error != kOk) return 0;
  return opened.key->SetString(name, text) == kOk ? 1 : 0;
}

int DeleteRegistryValue(Registry& registry, RootKey root, std::string_view path,
                        std::string_view name) {
  OpenedKey opened = registry.Open(root, path, KeyAccess::kAll);
  if (opened.error != kOk) return 0;
  return opened.key->DeleteValue(name) == kOk ? 1 : 0;
}

}  // namespace tvac::platform
