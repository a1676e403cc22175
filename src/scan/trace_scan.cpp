#include "scan/trace_scan.h"

#include <optional>

#include "base/texts.h"
#include "platform/path.h"
#include "platform/registry_values.h"

namespace tvac::scan {
namespace {

using platform::RootKey;

constexpr std::string_view kEveryValue = "0";
constexpr std::string_view kHkcu = "HKEY_CURRENT_USER";
constexpr std::string_view kHklm = "HKEY_LOCAL_MACHINE";
constexpr std::size_t kNameCapacity = 260;
constexpr std::size_t kDataBuffer = 260;

enum class Rule { kData, kFileName, kMui, kHelp };

// How an entry's values become rows is chosen by its label.
Rule RuleFor(std::string_view label) {
  for (std::string_view file_name_label :
       {texts::kTraceMediaPlayer, texts::kTraceDocFind, texts::kTracePaint, texts::kTraceExplorer,
        texts::kTracePowerPoint, texts::kTraceExcel, texts::kTraceWord}) {
    if (label == file_name_label) return Rule::kFileName;
  }
  if (label == texts::kTraceMuiCache) return Rule::kMui;
  if (label == texts::kTraceHelp) return Rule::kHelp;
  return Rule::kData;
}

std::optional<RootKey> TraceRoot(std::string_view name) {
  if (name == kHkcu) return RootKey::kCurrentUser;
  if (name == kHklm) return RootKey::kLocalMachine;
  return std::nullopt;
}

std::string TextOf(std::string data) {
  data.resize(std::min(data.size(), data.find('\0')));
  return data;
}

// A MUI cache name "@C:\x\y.dll,-101" (quotes too) names the module C:\x\y.dll.
std::string MuiPath(std::string_view name) {
  const std::size_t comma = name.find(',');
  if (comma == std::string_view::npos) return std::string(name);
  std::string path;
  for (char c : name.substr(0, comma)) {
    if (c != '"' && c != '@') path += c;
  }
  return path;
}

void AppendRow(const TraceEntry& entry, std::string text, std::string value_name,
               ScanEnvironment& env) {
  env.results.AppendTraceHit(std::move(text), std::string(entry.label), std::move(value_name),
                             std::string(entry.root) + "\\" + std::string(entry.key_path),
                             entry.number);
  env.display.RedrawResultLine();
}

void CheckSingleValue(const TraceEntry& entry, ScanEnvironment& env) {
  std::string text;
  platform::ReadRegistryString(env.registry, RootKey::kCurrentUser, entry.key_path,
                               entry.value_name, "0", text, kDataBuffer);
  if (text == "0" || text.empty()) return;
  if (text.find("http://") == std::string::npos) text = platform::FileNameOf(text);
  AppendRow(entry, std::move(text), std::string(entry.value_name), env);
}

void CheckEveryValue(const TraceEntry& entry, platform::RegistryKey& key, ScanEnvironment& env) {
  const Rule rule = RuleFor(entry.label);
  std::string name;
  for (std::uint32_t index = 0; env.scanning.load(); ++index) {
    if (key.EnumValueName(index, kNameCapacity, name) != platform::kOk) return;
    // A value whose data does not fit reads as empty, never as bytes past the buffer.
    std::string data;
    key.QueryValue(name, kDataBuffer, data);
    data = TextOf(std::move(data));
    env.display.SetStatusText(name);

    switch (rule) {
      case Rule::kFileName:
        AppendRow(entry, std::string(platform::FileNameOf(data)), name, env);
        break;
      case Rule::kMui: {
        std::string path = MuiPath(name);
        if (!path.empty() && path.find("C:\\") != std::string::npos &&
            !env.files.Stat(path).has_value()) {
          AppendRow(entry, std::move(path), name, env);
        }
        break;
      }
      case Rule::kHelp:
        if (data.empty()) AppendRow(entry, name, name, env);
        break;
      case Rule::kData:
        AppendRow(entry, std::move(data), name, env);
        break;
    }
  }
}

}  // namespace

const std::vector<TraceEntry>& TraceCatalogue() {
  using namespace texts;
  static const std::vector<TraceEntry> catalogue = {
      {kHkcu, "Software\\Microsoft\\Search Assistant\\ACMru\\5603", "0", kTraceSearch, 1},
      {kHkcu, "Software\\Microsoft\\Search Assistant\\ACMru\\5604", "0", kTraceSearch, 2},
      {kHkcu, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU", "0", kTraceRun, 3},
      {kHkcu, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Doc Find Spec MRU", "0",
       kTraceDocFind, 4},
      {kHkcu, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ComDlg32\\OpenSaveMRU", "0",
       kTraceExplorer, 5},
      {kHkcu, "Software\\Microsoft\\Windows\\CurrentVersion\\Applets\\Paint\\Recent File List", "0",
       kTracePaint, 6},
      {kHkcu, "Software\\Microsoft\\Office\\12.0\\Excel\\File MRU", "0", kTraceExcel, 7},
      {kHkcu, "Software\\Microsoft\\Office\\14.0\\Excel\\File MRU", "0", kTraceExcel, 8},
      {kHkcu, "Software\\Microsoft\\Office\\12.0\\PowerPoint\\File MRU", "0", kTracePowerPoint, 9},
      {kHkcu, "Software\\Microsoft\\Office\\14.0\\PowerPoint\\File MRU", "0", kTracePowerPoint, 10},
      {kHkcu, "Software\\Microsoft\\Office\\12.0\\Word\\File MRU", "0", kTraceWord, 11},
      {kHkcu, "Software\\Microsoft\\Office\\14.0\\Word\\File MRU", "0", kTraceWord, 12},
      {kHkcu, "Software\\Microsoft\\MediaPlayer\\Player\\RecentFileList", "0", kTraceMediaPlayer,
       13},
      {kHkcu, "Software\\Microsoft\\MediaPlayer\\Player\\RecentURLList", "0", kTraceMediaPlayer,
       14},
      {kHkcu, "Software\\GRETECH\\GomPlayer\\OPTION", "sRecentFile", kTraceGomFile, 15},
      {kHkcu, "Software\\GRETECH\\GomPlayer\\OPTION", "sRecentURL", kTraceGomUrl, 16},
      {kHkcu, "Software\\ESTsoft\\ALSong\\Param\\RecentURL", "0", kTraceAlSong, 17},
      {kHkcu, "Software\\DAUM\\PotPlayerMini\\BMList", "0", kTracePotPlayer, 18},
      {kHkcu, "Software\\Microsoft\\Internet Explorer\\TypedURLs", "0", kTraceInternet, 19},
      {kHkcu, "Software\\Microsoft\\Windows\\ShellNoRoam\\MUICache", "0", kTraceMuiCache, 20},
      {kHklm, "SOFTWARE\\Microsoft\\Windows\\Help", "0", kTraceHelp, 21},
      {kHkcu, "Software\\ESTsoft\\ALZip\\MRUOpen", "0", kTraceAlZip, 22},
  };
  return catalogue;
}

void ScanTraces(ScanEnvironment& env) {
  for (const TraceEntry& entry : TraceCatalogue()) CheckTraceEntry(entry, env);
}

void CheckTraceEntry(const TraceEntry& entry, ScanEnvironment& env) {
  std::optional<platform::OpenedKey> key;
  if (const std::optional<RootKey> root = TraceRoot(entry.root)) {
    key = env.registry.Open(*root, entry.key_path, platform::KeyAccess::kAll);
  }
  env.display.SetPercent(entry.number * 100 / kTraceEntryCount);
  if (!key || key->error != platform::kOk) return;

  if (entry.value_name != kEveryValue) {
    CheckSingleValue(entry, env);
  } else {
    CheckEveryValue(entry, *key->key, env);
  }
}

}  // namespace tvac::scan
