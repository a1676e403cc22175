#include "base/settings.h"

#include <array>
#include <cctype>

#include "platform/registry_values.h"

#ifndef TVAC_DEFAULT_SERVER
#error "TVAC_DEFAULT_SERVER names the built-in update host; the build defines it"
#endif

namespace tvac::base {

namespace {

constexpr std::string_view kCommon = "Software\\TalvoAntiVirus\\Common";
constexpr std::string_view kUpdates = "Software\\TalvoAntiVirus\\Updates";
constexpr std::string_view kRun = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// In the order of the Setting enumeration.
constexpr std::array<SettingPlace, 13> kPlaces = {{
    {kCommon, "Tray", "False"},
    {kCommon, "Agent", "False"},
    {kCommon, "AutoScan", "False"},
    {kCommon, "AutoUpdate", "False"},
    {kCommon, "AutoRemedy", "False"},
    {kCommon, "LastScan", "0000.00.00"},
    {kCommon, "Message", "0"},
    {kCommon, "Server", TVAC_DEFAULT_SERVER},
    {kUpdates, "", "0"},
    {kUpdates, "ver", "0"},
    {kUpdates, "verPattern", "0"},
    {kUpdates, "today", "1"},
    {kRun, "TalvoAntiVirus", "0"},
}};
static_assert(static_cast<std::size_t>(Setting::kRunAtStart) + 1 == kPlaces.size());

// "host" or "host:port": letters, digits, dots and hyphens, then 1 to 65535.
bool IsServerAddress(std::string_view text) {
  const std::size_t colon = text.find(':');
  const std::string_view host = text.substr(0, colon);
  if (host.empty() || host.size() > 253) return false;
  for (const char c : host) {
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '.' && c != '-') return false;
  }
  if (colon == std::string_view::npos) return true;
  const std::string_view port = text.substr(colon + 1);
  if (port.empty() || port.size() > 5) return false;
  unsigned value = 0;
  for (const char c : port) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + static_cast<unsigned>(c - '0');
  }
  return value >= 1 && value <= 65535;
}

}  // namespace

const SettingPlace& PlaceOf(Setting setting) {
  return kPlaces[static_cast<std::size_t>(setting)];
}

std::string_view BuiltInServer() {
  return TVAC_DEFAULT_SERVER;
}

std::optional<std::string> Settings::Find(Setting setting) const {
  const SettingPlace& place = PlaceOf(setting);
  std::string buffer;
  if (platform::ReadRegistryString(registry_, platform::RootKey::kCurrentUser, place.key,
                                   place.name, place.fallback, buffer) != 1) {
    return std::nullopt;
  }
  return buffer;
}

std::string Settings::Read(Setting setting) const {
  return Find(setting).value_or(std::string(PlaceOf(setting).fallback));
}

void Settings::Write(Setting setting, std::string_view text) {
  const SettingPlace& place = PlaceOf(setting);
  platform::WriteRegistryString(registry_, platform::RootKey::kCurrentUser, place.key, place.name,
                                text);
}

void Settings::Remove(Setting setting) {
  const SettingPlace& place = PlaceOf(setting);
  platform::DeleteRegistryValue(registry_, platform::RootKey::kCurrentUser, place.key, place.name);
}

std::string Settings::Server() const {
  const std::optional<std::string> chosen = Find(Setting::kServer);
  if (chosen && IsServerAddress(*chosen)) return *chosen;
  return std::string(BuiltInServer());
}

}  // namespace tvac::base
