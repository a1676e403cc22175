// The input is updates.ini content as an update server might publish it. It goes
// the way the agent takes it: downloaded into the program folder, its [UPDATE] and
// [PATTERN] VER and URL read by the update check and the update worker, the versions
// turned into numbers and compared with the installed ones, and the pending update
// installed from the URL it names. The installed versions come from the input's own
// [INSTALLED] section (keys ver and verPattern, as the registry names them), which
// the agent ignores. Every property below aborts the run when it does not hold.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/settings.h"
#include "base/texts.h"
#include "fakes/fake_clock.h"
#include "fakes/fake_processes.h"
#include "fakes/fake_registry.h"
#include "platform/ini.h"
#include "scan/pattern_database.h"
#include "update/stats.h"
#include "update/update_check.h"
#include "update/update_worker.h"

namespace {

using tvac::base::Setting;
using tvac::platform::IniDocument;
using tvac::update::PendingKind;

void Require(bool condition) {
  if (!condition) std::abort();
}

constexpr char kAppFolder[] = "C:\\Program Files\\Talvo\\";
constexpr char kServer[] = "updates.test";
constexpr char kDatabase[] = "[TotalCount]\r\nCount=1\r\n";
constexpr char kInstaller[] = "MZ installer";

// The version rule spelled out once more: every "." deleted, then leading blanks, an
// optional sign and decimal digits, the value held to 32 bits.
std::int32_t ExpectedVersion(std::string_view text) {
  std::string digits;
  for (const char c : text) {
    if (c != '.') digits += c;
  }
  std::size_t pos = 0;
  while (pos < digits.size() &&
         std::string_view(" \t\n\v\f\r").find(digits[pos]) != std::string_view::npos) {
    ++pos;
  }
  bool negative = false;
  if (pos < digits.size() && (digits[pos] == '+' || digits[pos] == '-')) {
    negative = digits[pos++] == '-';
  }
  constexpr std::int64_t kHigh = std::numeric_limits<std::int32_t>::max();
  std::int64_t value = 0;
  for (; pos < digits.size() && digits[pos] >= '0' && digits[pos] <= '9'; ++pos) {
    value = std::min<std::int64_t>(value * 10 + (digits[pos] - '0'), kHigh + 1);
  }
  return static_cast<std::int32_t>(negative ? -value : std::min(value, kHigh));
}

// The same characters with the dots in other places, chosen by the bits of `pattern`.
std::string MoveDots(std::string_view text, std::string_view pattern) {
  std::string out = ".";
  std::size_t k = 0;
  for (const char c : text) {
    if (c == '.') continue;
    out += c;
    if (!pattern.empty() && (pattern[k++ % pattern.size()] & 1)) out += "..";
  }
  return out;
}

void CheckVersion(std::string_view text, std::string_view pattern) {
  const std::int32_t number = tvac::update::VersionNumber(text);
  Require(number == ExpectedVersion(text));
  Require(tvac::update::VersionNumber(MoveDots(text, pattern)) == number);
}

// The decision written as the rule says it.
void CheckDecision(std::int32_t program_installed, std::int32_t program_available,
                   std::int32_t database_installed, std::int32_t database_available) {
  const PendingKind expected = program_installed < program_available     ? PendingKind::kProgram
                               : database_installed < database_available ? PendingKind::kDatabase
                                                                         : PendingKind::kNone;
  Require(tvac::update::DecidePending(program_installed, program_available, database_installed,
                                      database_available) == expected);
}

std::string_view Slice(std::string_view text, std::size_t from, std::size_t length) {
  return from < text.size() ? text.substr(from, length) : std::string_view();
}

// What a registry string gives back: the text up to its first zero byte.
std::string AsStored(std::string_view text) {
  return std::string(text.substr(0, text.find('\0')));
}

class CountingUi : public tvac::update::UpdateCheckUi {
 public:
  void OpenUpdateDialog() override { ++dialogs; }
  void ShowMessage() override { ++messages; }
  void PlayWave(std::string_view) override {}
  int dialogs = 0;
  int messages = 0;
};

class RecordingPort : public tvac::update::UpdateDialogPort {
 public:
  void SetProgress(int percent) override { percents.push_back(percent); }
  void CloseDialog() override {}
  void ShowMessage() override {}
  void ReloadDbInfoSoon() override {}
  std::vector<int> percents;
};

// The files of the program folder by their exact paths: the update core names them
// the same way every time, and a full file system costs more than the rest of a run.
class MemoryFiles : public tvac::platform::Files {
 public:
  using ErrorCode = tvac::platform::ErrorCode;
  std::optional<tvac::platform::FileStatus> Stat(std::string_view path) override {
    const auto found = files_.find(std::string(path));
    if (found == files_.end()) return std::nullopt;
    return tvac::platform::FileStatus{.size = found->second.size()};
  }
  std::optional<std::string> ReadAll(std::string_view path) override {
    const auto found = files_.find(std::string(path));
    if (found == files_.end()) return std::nullopt;
    return found->second;
  }
  ErrorCode RemoveFile(std::string_view path) override {
    return files_.erase(std::string(path)) ? tvac::platform::kOk : tvac::platform::kFileNotFound;
  }
  ErrorCode ClearReadOnly(std::string_view) override { return tvac::platform::kOk; }
  ErrorCode Replace(std::string_view from, std::string_view to) override {
    const auto found = files_.find(std::string(from));
    if (found == files_.end()) return tvac::platform::kFileNotFound;
    std::string content = std::move(found->second);
    files_.erase(found);
    files_[std::string(to)] = std::move(content);
    return tvac::platform::kOk;
  }
  ErrorCode RemoveFolder(std::string_view) override { return tvac::platform::kAccessDenied; }
  ErrorCode ListFolder(std::string_view, std::vector<tvac::platform::FolderEntry>&) override {
    return tvac::platform::kPathNotFound;
  }
  std::optional<std::string> Folder(tvac::platform::KnownFolder) override { return std::nullopt; }
  std::string ProgramPath() override { return std::string(kAppFolder) + "tvac.exe"; }
  std::string UserName() override { return "tester"; }

  void Put(std::string path, std::string content) { files_[std::move(path)] = std::move(content); }
  bool Exists(std::string_view path) { return Stat(path).has_value(); }

 private:
  std::map<std::string, std::string> files_;
};

// A server answering the URLs it was given, in two halves with the size announced;
// every other URL fails as an unreachable host does.
class MemoryServer : public tvac::platform::Network {
 public:
  explicit MemoryServer(MemoryFiles& files) : files_(files) {}
  bool Online() override { return true; }
  bool Request(std::string_view) override { return true; }
  void DropCached(std::string_view) override {}
  bool Download(std::string_view url, std::string_view path, std::uint64_t limit,
                tvac::platform::DownloadProgress* progress) override {
    files_.RemoveFile(path);
    const auto found = answers_.find(std::string(url));
    if (found == answers_.end()) return false;
    const std::string& body = found->second;
    if (progress) {
      progress->OnProgress(0, body.size());
      progress->OnProgress(body.size() / 2, body.size());
      progress->OnProgress(body.size(), body.size());
    }
    if (body.empty() || body.size() > limit) return false;
    files_.Put(std::string(path), body);
    return true;
  }
  void Serve(std::string url, std::string body) { answers_[std::move(url)] = std::move(body); }

 private:
  MemoryFiles& files_;
  std::map<std::string, std::string> answers_;
};

// A program installed in kAppFolder that talks to kServer, all in memory.
struct Machine {
  MemoryFiles files;
  tvac::fakes::FakeRegistry registry;
  MemoryServer network{files};
  tvac::fakes::FakeClock clock;
  tvac::fakes::FakeShell shell;
  tvac::base::Settings settings{registry};
  tvac::update::UpdateEnv env{files,    network,    clock,   shell,
                              settings, kAppFolder, kServer, tvac::scan::IsUsableDatabase};
};

struct Published {
  std::string version;
  std::string url;
};

Published Read(const IniDocument& description, std::string_view section) {
  Published published{description.Get(section, "VER", "0"), description.Get(section, "URL", "0")};
  // Every value is read into 260 bytes.
  Require(published.version.size() <= tvac::platform::kIniBufferSize - 1);
  Require(published.url.size() <= tvac::platform::kIniBufferSize - 1);
  return published;
}

std::optional<std::string> Installed(const IniDocument& input, std::string_view key) {
  const std::vector<std::string> keys = input.KeyNames("INSTALLED");
  if (std::find(keys.begin(), keys.end(), key) == keys.end()) return std::nullopt;
  return input.Get("INSTALLED", key, "");
}

// The update check, then the download of what it found pending, then the check once
// more: an update that was installed is not offered again.
void CheckAndInstall(std::string_view input, const IniDocument& document, bool announce) {
  Machine m;
  if (auto ver = Installed(document, "ver")) m.settings.Write(Setting::kProgramVersion, *ver);
  if (auto ver = Installed(document, "verpattern")) {
    m.settings.Write(Setting::kDatabaseVersion, *ver);
  }
  const std::string updates_url = tvac::update::UpdatesUrl(kServer);
  const std::string description_path = m.env.Local("updates.ini");
  m.network.Serve(updates_url, std::string(input));

  // Nothing is read from a download that failed or was refused, and no older copy is left.
  const bool fetched = !input.empty() && input.size() <= tvac::update::kUpdatesIniLimit;
  const IniDocument described = fetched ? document : IniDocument();
  const Published program = Read(described, "UPDATE");
  const Published database = Read(described, "PATTERN");
  const std::int32_t program_installed =
      tvac::update::VersionNumber(m.settings.Read(Setting::kProgramVersion));
  const std::int32_t database_installed =
      tvac::update::VersionNumber(m.settings.Read(Setting::kDatabaseVersion));
  const PendingKind kind = tvac::update::DecidePending(
      program_installed, tvac::update::VersionNumber(program.version), database_installed,
      tvac::update::VersionNumber(database.version));

  CountingUi ui;
  tvac::update::CheckForUpdates(m.env, ui, announce);
  if (kind == PendingKind::kNone) {
    Require(ui.dialogs == 0);
    Require(!m.files.Exists(description_path));
    Require(ui.messages == (announce ? 1 : 0));
    if (announce) {
      Require(m.settings.Read(Setting::kMessage) ==
              (fetched ? tvac::texts::kUpdateLatest : tvac::texts::kUpdateFailed));
    }
    return;
  }
  Require(ui.dialogs == 1);
  Require(m.settings.Read(Setting::kPendingKind) == tvac::update::KindText(kind));
  if (fetched) Require(m.files.ReadAll(description_path) == input);

  const bool for_program = kind == PendingKind::kProgram;
  const Published& offered = for_program ? program : database;
  m.network.Serve(offered.url, for_program ? kInstaller : kDatabase);
  RecordingPort port;
  const tvac::update::UpdateOutcome outcome = tvac::update::RunUpdate(m.env, port);
  Require(outcome == (for_program ? tvac::update::UpdateOutcome::kProgramInstalled
                                  : tvac::update::UpdateOutcome::kDatabaseInstalled));
  const std::string recorded =
      m.settings.Read(for_program ? Setting::kProgramVersion : Setting::kDatabaseVersion);
  Require(recorded == AsStored(offered.version));
  Require(tvac::update::VersionNumber(recorded) == tvac::update::VersionNumber(offered.version));
  Require(m.settings.Read(Setting::kPendingKind).empty());
  Require(!m.files.Exists(description_path));
  Require(!port.percents.empty() && port.percents.back() == 100);
  Require(std::is_sorted(port.percents.begin(), port.percents.end()));

  if (offered.url == updates_url) return;  // the server no longer serves the description
  CountingUi again;
  tvac::update::CheckForUpdates(m.env, again, false);
  const PendingKind next = again.dialogs == 0 ? PendingKind::kNone
                           : m.settings.Read(Setting::kPendingKind) == "UPDATE"
                               ? PendingKind::kProgram
                               : PendingKind::kDatabase;
  Require(next != kind);
}

// The first start without a database: the description, then the database it names,
// whose version is recorded as published.
void FetchFirstDatabase(std::string_view input, const IniDocument& document) {
  const bool fetched = !input.empty() && input.size() <= tvac::update::kUpdatesIniLimit;
  const Published database = Read(fetched ? document : IniDocument(), "PATTERN");
  const std::string updates_url = tvac::update::UpdatesUrl(kServer);
  if (database.url == updates_url) return;

  Machine m;
  m.network.Serve(updates_url, std::string(input));
  m.network.Serve(database.url, kDatabase);
  tvac::update::FetchPublishedDatabase(m.env);
  Require(m.files.ReadAll(m.env.Local("pattern.ini")) == kDatabase);
  Require(m.settings.Find(Setting::kDatabaseVersion) == AsStored(database.version));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const IniDocument document = IniDocument::Parse(input);

  // The file lookup the update core makes gives what the document gives.
  MemoryFiles files;
  files.Put("C:\\app\\updates.ini", std::string(input));
  const char* section = size % 4 < 2 ? "UPDATE" : "PATTERN";
  const char* key = size % 8 < 4 ? "VER" : "URL";
  Require(tvac::platform::ReadIniString(files, "C:\\app\\updates.ini", section, key, "0") ==
          document.Get(section, key, "0"));

  const Published program = Read(document, "UPDATE");
  const Published database = Read(document, "PATTERN");
  CheckVersion(program.version, database.version);
  CheckVersion(database.version, program.version);
  CheckVersion(Slice(input, 0, 64), Slice(input, 64, 16));
  const std::int32_t numbers[] = {tvac::update::VersionNumber(program.version),
                                  tvac::update::VersionNumber(database.version),
                                  tvac::update::VersionNumber(Slice(input, 0, 32)),
                                  0,
                                  std::numeric_limits<std::int32_t>::min(),
                                  std::numeric_limits<std::int32_t>::max()};
  for (std::int32_t a : numbers) {
    for (std::int32_t b : numbers) CheckDecision(a, b, numbers[0], numbers[1]);
  }

  CheckAndInstall(input, document, size % 2 == 1);
  FetchFirstDatabase(input, document);
  return 0;
}
