#include "remedy/cure.h"

#include <optional>
#include <string_view>

#include "base/texts.h"
#include "platform/registry_values.h"
#include "remedy/system_ops.h"

namespace tvac::remedy {
namespace {

using platform::RootKey;

constexpr std::string_view kWholeKey = "KEY";
constexpr std::chrono::milliseconds kSettle{500};

CureOutcome GoneIf(bool gone) {
  return gone ? CureOutcome::kCured : CureOutcome::kFailed;
}

bool KeyPresent(platform::Registry& registry, RootKey root, std::string_view path) {
  // Anything but "no such key" may hide a key that is still there.
  return registry.Open(root, path, platform::KeyAccess::kRead).error != platform::kFileNotFound;
}

bool ValuePresent(platform::Registry& registry, RootKey root, std::string_view path,
                  std::string_view name) {
  platform::OpenedKey opened = registry.Open(root, path, platform::KeyAccess::kRead);
  if (opened.error == platform::kFileNotFound) return false;
  if (opened.error != platform::kOk) return true;
  std::string data;
  return opened.key->QueryValue(name, 1, data) != platform::kFileNotFound;
}

// A key as the rows name it: the root's name, a backslash, the path below it.
struct KeySpec {
  std::optional<RootKey> root;
  std::string path;
};

KeySpec ParseKeySpec(std::string_view text) {
  const std::size_t slash = text.find('\\');
  const std::string_view root = text.substr(0, slash);
  return {platform::RootKeyFromName(root),
          slash == std::string_view::npos ? std::string() : std::string(text.substr(slash + 1))};
}

CureOutcome CureValue(CureEnv& env, const KeySpec& key, std::string_view name) {
  if (!key.root) return CureOutcome::kCured;
  DeleteRegistryValue(env.registry, *key.root, key.path, name);
  return GoneIf(!ValuePresent(env.registry, *key.root, key.path, name));
}

CureOutcome CureKey(CureEnv& env, const KeySpec& key) {
  if (!key.root) return CureOutcome::kCured;
  DeleteRegistryKey(env.registry, *key.root, key.path, true);
  return GoneIf(!KeyPresent(env.registry, *key.root, key.path));
}

CureOutcome CureFile(CureEnv& env, const std::string& path) {
  const std::optional<platform::FileStatus> status = env.files.Stat(path);
  if (!status) return CureOutcome::kCured;
  if (status->folder) return CureOutcome::kFailed;

  const std::size_t backslash = path.rfind('\\');
  const std::string_view name =
      std::string_view(path).substr(backslash == std::string::npos ? 0 : backslash + 1);
  const std::size_t dot = name.rfind('.');
  const std::string_view extension = dot == std::string_view::npos ? name : name.substr(dot + 1);
  // Exact comparisons: the names the system's own programs have.
  if (extension == "dll") {
    UnregisterModule(env.files, env.shell, path);
  } else if (extension == "exe" && name != "services.exe" && name != "wuauclt.exe") {
    TerminateProcessByPath(env.processes, path);
  }
  // The ended program lets go of its file, regsvr32 of the module.
  env.clock.Wait(kSettle);
  if (status->read_only) env.files.ClearReadOnly(path);
  env.files.RemoveFile(path);
  return GoneIf(!env.files.Stat(path));
}

CureOutcome CureMalware(CureEnv& env, const CureRow& row) {
  const std::string_view kind = row.misc1;
  if (kind == texts::kKindFile || kind == texts::kKindWindows || kind == texts::kKindSystem ||
      kind == texts::kKindDesktop || kind == texts::kKindMd5) {
    return CureFile(env, row.location);
  }
  if (kind == texts::kKindFolder || kind == texts::kKindProgramGroup) {
    return GoneIf(DeleteFolderTree(env.files, row.location));
  }
  // The registry location text: key, "/", value name, "/", data.
  const std::string_view location = row.location;
  const std::size_t first = location.find('/');
  const KeySpec key = ParseKeySpec(location.substr(0, first));
  if (kind == texts::kKindRegValue) {
    const std::string_view rest =
        first == std::string_view::npos ? std::string_view() : location.substr(first + 1);
    return CureValue(env, key, rest.substr(0, rest.find('/')));
  }
  if (kind == texts::kKindRegKey) return CureKey(env, key);
  return CureOutcome::kLeft;
}

}  // namespace

CureOutcome CureRowItem(CureEnv& env, const CureRow& row) {
  if (!row.checked) return CureOutcome::kLeft;
  switch (row.category) {
    case RowCategory::kMalware:
      return CureMalware(env, row);
    case RowCategory::kTrace: {
      const KeySpec key = ParseKeySpec(row.misc2);
      return row.misc1 == kWholeKey ? CureKey(env, key) : CureValue(env, key, row.misc1);
    }
    case RowCategory::kOther:
      break;
  }
  return CureOutcome::kLeft;
}

CureTally CureCheckedRows(CureEnv& env, CureRows& rows, const std::atomic<bool>& stop) {
  CureTally tally;
  for (std::size_t index = 0; index < rows.Count();) {
    if (stop) {
      tally.stopped = true;
      break;
    }
    switch (CureRowItem(env, rows.Row(index))) {
      case CureOutcome::kCured:
        rows.RemoveCured(index);  // the next row moves into `index`
        ++tally.cured;
        break;
      case CureOutcome::kFailed:
        ++tally.failed;
        ++index;
        break;
      case CureOutcome::kLeft:
        ++index;
        break;
    }
  }
  return tally;
}

}  // namespace tvac::remedy
