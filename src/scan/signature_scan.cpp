#include "scan/signature_scan.h"

#include <cstdint>
#include <optional>

#include "base/texts.h"
#include "platform/registry_values.h"

namespace tvac::scan {
namespace {

using platform::KnownFolder;

constexpr std::string_view kAnySize = "default";
constexpr std::string_view kAnyData = "default";
constexpr std::size_t kRegistryDataBuffer = 100;
constexpr std::string_view kOldProfilesRoot = "C:\\Documents and Settings\\";

void ReplaceAll(std::string& text, std::string_view from, std::string_view to) {
  for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at)) {
    text.replace(at, from.size(), to);
    at += to.size();
  }
}

// The fourth part of the all-users Start menu path (C:\Documents and Settings\All
// Users\<Start menu>): the Start menu folder's own name; empty when there is none.
std::string StartMenuFolderName(platform::Files& files) {
  const std::optional<std::string> start_menu = files.Folder(KnownFolder::kCommonStartMenu);
  if (!start_menu) return {};
  std::string_view rest = *start_menu;
  for (int part = 0; part < 3; ++part) {
    const std::size_t sep = rest.find('\\');
    if (sep == std::string_view::npos) return {};
    rest.remove_prefix(sep + 1);
  }
  return std::string(rest.substr(0, rest.find('\\')));
}

bool Exists(platform::Files& files, const std::string& path) {
  return files.Stat(path).has_value();
}

std::string ProgramGroupPath(const std::string& path, ScanEnvironment& env) {
  const std::string start_menu = StartMenuFolderName(env.files);
  const std::string base = std::string(kOldProfilesRoot) + env.user_name + "\\" + start_menu + "\\";
  std::vector<std::string> candidates = {
      base + "Programs\\" + path, base + std::string(texts::kProgramsLocalized) + "\\" + path};
  // Profiles have not lived under C:\Documents and Settings since Windows Vista: the
  // program folders as the system names them come next.
  for (KnownFolder folder : {KnownFolder::kUserPrograms, KnownFolder::kCommonPrograms}) {
    if (const std::optional<std::string> programs = env.files.Folder(folder)) {
      candidates.push_back(*programs + "\\" + path);
    }
  }
  for (const std::string& candidate : candidates) {
    if (Exists(env.files, candidate)) return candidate;
  }
  return path;
}

// The size as the "%d" text of its low 32 bits.
std::string SizeText(std::uint64_t size) {
  return std::to_string(static_cast<std::int32_t>(static_cast<std::uint32_t>(size)));
}

int Percent(std::int64_t i, std::int64_t n) {
  return static_cast<int>(100 * i / n);
}

}  // namespace

void TestFileRule(const PatternEntry& entry, const FileRule& rule, ScanEnvironment& env) {
  const std::string path = ResolveRulePath(rule, env);
  const std::optional<platform::FileStatus> status = env.files.Stat(path);
  if (!status) return;
  if (rule.size != kAnySize && rule.size != SizeText(status->size)) return;
  env.results.InsertSignatureHit(entry.name, path, entry.info, rule.kind);
  env.display.RedrawResultLine();
}

void TestRegRule(const PatternEntry& entry, const RegRule& rule, ScanEnvironment& env) {
  const bool value_rule = rule.kind == texts::kKindRegValue;
  if (!value_rule && rule.kind != texts::kKindRegKey) return;
  const std::optional<platform::RootKey> root = platform::RootKeyFromName(rule.root);
  if (!root) return;
  // A key that exists but cannot be opened with full access counts as absent.
  platform::OpenedKey key = env.registry.Open(*root, rule.subkey, platform::KeyAccess::kAll);
  if (key.error != platform::kOk) return;

  std::string data;
  if (value_rule) {
    if (key.key->QueryValue(rule.value_name, kRegistryDataBuffer, data) != platform::kOk) return;
    data.resize(std::min(data.size(), data.find('\0')));
    if (rule.value_data != kAnyData && rule.value_data != data) return;
  } else {
    data = rule.value_data;
  }
  // Built only for a hit: most rules find nothing.
  const std::string location = rule.root + "\\" + rule.subkey + "/" + rule.value_name + "/" + data;
  env.results.InsertSignatureHit(entry.name, location, entry.info, rule.kind);
  env.display.RedrawResultLine();
}

std::string ResolveRulePath(const FileRule& rule, ScanEnvironment& env) {
  std::string path = rule.path;
  if (rule.kind == texts::kKindDesktop) {
    ReplaceAll(path, texts::kUserNamePlaceholder, env.user_name);
  } else if (rule.kind == texts::kKindProgramGroup) {
    path = ProgramGroupPath(path, env);
  } else if (rule.kind == texts::kKindWindows) {
    const std::string windows = env.files.Folder(KnownFolder::kWindows).value_or("");
    env.display.SetWindowsDir(windows);
    path = windows + "\\" + path;
  }
  return path;
}

void RunSignatureScan(const PatternDatabase& database, ScanEnvironment& env) {
  const std::int32_t count = database.EntryCount();
  if (count < 1) return;
  const auto stopped = [&] { return !env.scanning.load(); };

  // Only entries whose section is present can have rules, so a huge count over a
  // few sections costs no more than those sections.
  std::int32_t last_scanned = 0;
  for (std::int32_t i : database.PresentEntries(count)) {
    env.display.SetPercent(Percent(i, count));
    if (stopped()) {
      env.display.SetPercent(0);
      return;
    }
    last_scanned = i;
    const PatternEntry entry = database.Entry(i);
    env.display.SetStatusText(entry.name);
    for (std::int32_t j : database.PresentRules(i, "File", entry.file_count)) {
      if (stopped()) {
        env.display.SetPercent(0);
        break;
      }
      TestFileRule(entry, database.File(i, j), env);
    }
    for (std::int32_t j : database.PresentRules(i, "Reg", entry.reg_count)) {
      if (stopped()) {
        env.display.SetPercent(0);
        break;
      }
      TestRegRule(entry, database.Reg(i, j), env);
    }
  }
  // Entries after the last present one have nothing to test; the scan ends as if it
  // had passed them.
  if (last_scanned < count) env.display.SetPercent(stopped() ? 0 : 100);
}

}  // namespace tvac::scan
