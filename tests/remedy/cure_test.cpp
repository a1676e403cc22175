#include "remedy/cure.h"

#include <gtest/gtest.h>

#include "base/texts.h"
#include "fakes/fake_clock.h"
#include "fakes/fake_files.h"
#include "fakes/fake_processes.h"
#include "fakes/fake_registry.h"
#include "platform/registry_values.h"

namespace tvac::remedy {
namespace {

using namespace std::chrono_literals;
using platform::RootKey;

constexpr RootKey kHkcu = RootKey::kCurrentUser;

CureRow Malware(std::string_view kind, std::string location, bool checked = true) {
  return {.category = RowCategory::kMalware,
          .checked = checked,
          .location = std::move(location),
          .misc1 = std::string(kind)};
}

CureRow Trace(std::string value_name, std::string key) {
  return {.category = RowCategory::kTrace,
          .checked = true,
          .misc1 = std::move(value_name),
          .misc2 = std::move(key)};
}

// The rows in a vector; a removal is written down by the row's location.
class VectorRows : public CureRows {
 public:
  explicit VectorRows(std::vector<CureRow> rows) : rows(std::move(rows)) {}
  std::size_t Count() const override { return rows.size(); }
  CureRow Row(std::size_t index) const override { return rows.at(index); }
  void RemoveCured(std::size_t index) override {
    removed.push_back(rows.at(index).location);
    rows.erase(rows.begin() + static_cast<std::ptrdiff_t>(index));
  }
  std::vector<CureRow> rows;
  std::vector<std::string> removed;
};

class CureTest : public testing::Test {
 protected:
  void SetUp() override {
    files.SetFolder(platform::KnownFolder::kSystem, "C:\\Windows\\System32");
    processes.running = {
        {20, "update.exe", "C:\\Bad\\update.exe"},
        {21, "update.exe", "C:\\Program Files\\Good\\update.exe"},
        {30, "services.exe", "C:\\Bad\\services.exe"},
        {40, "TROJAN.EXE", "C:\\Bad\\TROJAN.EXE"},
    };
  }
  CureOutcome Cure(const CureRow& row) { return CureRowItem(env, row); }
  bool ValueThere(std::string_view key, std::string_view name) {
    return registry.RawValue(kHkcu, key, name).has_value();
  }

  fakes::FakeFiles files;
  fakes::FakeRegistry registry;
  fakes::FakeProcesses processes;
  fakes::FakeShell shell;
  fakes::FakeClock clock;
  CureEnv env{files, registry, processes, shell, clock};
  std::atomic<bool> stop{false};
};

TEST_F(CureTest, ProgramFileEndsOnlyTheProcessRunningFromItThenGoes) {
  files.AddFile("C:\\Bad\\update.exe", "x");
  EXPECT_EQ(Cure(Malware(texts::kKindFile, "C:\\Bad\\update.exe")), CureOutcome::kCured);
  EXPECT_EQ(processes.terminated, std::vector<std::uint32_t>{20});
  EXPECT_TRUE(processes.IsRunning(21));  // the same name elsewhere
  EXPECT_FALSE(files.Exists("C:\\Bad\\update.exe"));
  EXPECT_EQ(clock.waited(), 500ms);
}

TEST_F(CureTest, EveryFileKindIsAFileCure) {
  for (std::string_view kind : {texts::kKindFile, texts::kKindWindows, texts::kKindSystem,
                                texts::kKindDesktop, texts::kKindMd5}) {
    files.AddFile("C:\\Bad\\a.txt", "x");
    EXPECT_EQ(Cure(Malware(kind, "C:\\Bad\\a.txt")), CureOutcome::kCured);
    EXPECT_FALSE(files.Exists("C:\\Bad\\a.txt"));
  }
  EXPECT_TRUE(processes.terminated.empty());
  EXPECT_TRUE(shell.calls.empty());
}

TEST_F(CureTest, SystemProgramNamesAndOtherLetterCaseAreNotEndedButDeleted) {
  files.AddFile("C:\\Bad\\services.exe", "x");
  files.AddFile("C:\\Bad\\TROJAN.EXE", "x");
  EXPECT_EQ(Cure(Malware(texts::kKindFile, "C:\\Bad\\services.exe")), CureOutcome::kCured);
  EXPECT_EQ(Cure(Malware(texts::kKindFile, "C:\\Bad\\TROJAN.EXE")), CureOutcome::kCured);
  EXPECT_TRUE(processes.terminated.empty());
  EXPECT_EQ(clock.waited(), 1000ms);
}

TEST_F(CureTest, ModuleIsUnregisteredQuietlyThenDeleted) {
  files.AddFile("C:\\Bad\\hook.dll", "x");
  EXPECT_EQ(Cure(Malware(texts::kKindWindows, "C:\\Bad\\hook.dll")), CureOutcome::kCured);
  ASSERT_EQ(shell.calls.size(), 1u);
  EXPECT_EQ(shell.calls[0].file, "C:\\Windows\\System32\\regsvr32.exe");
  EXPECT_EQ(shell.calls[0].parameters, "/u /s \"C:\\Bad\\hook.dll\"");
  EXPECT_FALSE(files.Exists("C:\\Bad\\hook.dll"));
}

TEST_F(CureTest, ReadOnlyFileGoesAndAFileInUseIsAFailure) {
  files.AddFile("C:\\Bad\\ro.exe", "x", /*read_only=*/true);
  files.AddFile("C:\\Bad\\busy.exe", "x");
  files.LockFile("C:\\Bad\\busy.exe");
  EXPECT_EQ(Cure(Malware(texts::kKindFile, "C:\\Bad\\ro.exe")), CureOutcome::kCured);
  EXPECT_EQ(Cure(Malware(texts::kKindFile, "C:\\Bad\\busy.exe")), CureOutcome::kFailed);
  EXPECT_TRUE(files.Exists("C:\\Bad\\busy.exe"));
}

TEST_F(CureTest, ItemAlreadyGoneIsCuredWithoutWaiting) {
  EXPECT_EQ(Cure(Malware(texts::kKindFile, "C:\\Bad\\gone.exe")), CureOutcome::kCured);
  EXPECT_EQ(Cure(Malware(texts::kKindFolder, "C:\\Gone")), CureOutcome::kCured);
  EXPECT_EQ(Cure(Malware(texts::kKindRegKey, "HKEY_CURRENT_USER\\Software\\Gone/x/1")),
            CureOutcome::kCured);
  EXPECT_EQ(clock.waited(), 0ms);
  EXPECT_TRUE(processes.terminated.empty());
}

TEST_F(CureTest, FolderGoesWithItsReadOnlyFilesAndKeepsWhatItsLinkPointsAt) {
  files.AddFile("C:\\Bad\\sub\\ro.sys", "r", /*read_only=*/true);
  files.AddFile("C:\\Keep\\target.txt", "t");
  files.AddFolderLink("C:\\Bad\\link", "C:\\Keep");
  for (std::string_view kind : {texts::kKindFolder, texts::kKindProgramGroup}) {
    files.AddFile("C:\\Bad\\a.exe", "a");
    EXPECT_EQ(Cure(Malware(kind, "C:\\Bad")), CureOutcome::kCured);
    EXPECT_FALSE(files.Exists("C:\\Bad"));
  }
  EXPECT_TRUE(files.Exists("C:\\Keep\\target.txt"));
}

TEST_F(CureTest, RegistryRowsNameTheirKeyAndValueInTheLocation) {
  platform::WriteRegistryString(registry, kHkcu, "Software\\Bad\\Run", "Updater", "C:\\a/b.exe");
  platform::WriteRegistryString(registry, kHkcu, "Software\\Bad\\Run", "Keep", "1");
  platform::WriteRegistryString(registry, kHkcu, "Software\\Bad\\Adware\\Sub", "v", "1");

  EXPECT_EQ(Cure(Malware(texts::kKindRegValue,
                         "HKEY_CURRENT_USER\\Software\\Bad\\Run/Updater/C:\\a/b.exe")),
            CureOutcome::kCured);
  EXPECT_FALSE(ValueThere("Software\\Bad\\Run", "Updater"));
  EXPECT_TRUE(ValueThere("Software\\Bad\\Run", "Keep"));

  EXPECT_EQ(Cure(Malware(texts::kKindRegKey, "HKEY_CURRENT_USER\\Software\\Bad\\Adware/Toolbar/1")),
            CureOutcome::kCured);
  EXPECT_FALSE(registry.KeyExists(kHkcu, "Software\\Bad\\Adware"));
  EXPECT_TRUE(registry.KeyExists(kHkcu, "Software\\Bad\\Run"));
}

TEST_F(CureTest, TraceRowsDeleteTheirValueOrTheirWholeKey) {
  platform::WriteRegistryString(registry, kHkcu, "Software\\Mru", "a", "notepad");
  platform::WriteRegistryString(registry, kHkcu, "Software\\Mru", "b", "calc");
  platform::WriteRegistryString(registry, kHkcu, "Software\\List\\Deep", "x", "1");

  EXPECT_EQ(Cure(Trace("a", "HKEY_CURRENT_USER\\Software\\Mru")), CureOutcome::kCured);
  EXPECT_FALSE(ValueThere("Software\\Mru", "a"));
  EXPECT_TRUE(ValueThere("Software\\Mru", "b"));

  EXPECT_EQ(Cure(Trace("KEY", "HKEY_CURRENT_USER\\Software\\List")), CureOutcome::kCured);
  EXPECT_FALSE(registry.KeyExists(kHkcu, "Software\\List"));
}

TEST_F(CureTest, ItemThatStaysIsAFailure) {
  platform::WriteRegistryString(registry, kHkcu, "Software\\Locked", "v", "1");
  registry.DenyWrite(kHkcu, "Software\\Locked");
  EXPECT_EQ(Cure(Trace("v", "HKEY_CURRENT_USER\\Software\\Locked")), CureOutcome::kFailed);
  // A root and the keys right below one are never deleted.
  EXPECT_EQ(Cure(Malware(texts::kKindRegKey, "HKEY_CURRENT_USER\\Software/x/1")),
            CureOutcome::kFailed);
  EXPECT_TRUE(registry.KeyExists(kHkcu, "Software"));
}

TEST_F(CureTest, UnknownRootHoldsNothingAndUnknownKindsAreLeft) {
  EXPECT_EQ(Cure(Trace("v", "HKEY_USERS\\Software\\X")), CureOutcome::kCured);
  EXPECT_EQ(Cure(Malware("바이러스", "C:\\Bad\\a.exe")), CureOutcome::kLeft);
  EXPECT_EQ(Cure({.category = RowCategory::kOther, .checked = true, .location = "C:\\a"}),
            CureOutcome::kLeft);
  EXPECT_EQ(Cure(Malware(texts::kKindFile, "C:\\Bad\\a.exe", /*checked=*/false)),
            CureOutcome::kLeft);
}

TEST_F(CureTest, WalkCuresConsecutiveCheckedRowsAndLeavesTheRest) {
  for (const char* name :
       {"C:\\Bad\\1.txt", "C:\\Bad\\2.txt", "C:\\Bad\\3.txt", "C:\\Bad\\4.txt", "C:\\Bad\\5.txt"}) {
    files.AddFile(name, "x");
  }
  files.LockFile("C:\\Bad\\5.txt");
  VectorRows rows({
      Malware(texts::kKindFile, "C:\\Bad\\1.txt"),
      Malware(texts::kKindFile, "C:\\Bad\\2.txt"),
      Malware(texts::kKindFile, "C:\\Bad\\3.txt", /*checked=*/false),
      Malware("바이러스", "C:\\Bad\\4.txt"),
      Malware(texts::kKindFile, "C:\\Bad\\5.txt"),
      Trace("a", "HKEY_CURRENT_USER\\Software\\Nothing"),
  });

  const CureTally tally = CureCheckedRows(env, rows, stop);

  EXPECT_EQ(tally.cured, 3);
  EXPECT_EQ(tally.failed, 1);
  EXPECT_FALSE(tally.stopped);
  EXPECT_EQ(rows.removed, (std::vector<std::string>{"C:\\Bad\\1.txt", "C:\\Bad\\2.txt", ""}));
  ASSERT_EQ(rows.rows.size(), 3u);
  EXPECT_EQ(rows.rows[0].location, "C:\\Bad\\3.txt");
  EXPECT_EQ(rows.rows[1].location, "C:\\Bad\\4.txt");
  EXPECT_EQ(rows.rows[2].location, "C:\\Bad\\5.txt");
  EXPECT_TRUE(rows.rows[2].checked);
}

TEST_F(CureTest, WalkStopsBeforeItsNextRow) {
  files.AddFile("C:\\Bad\\1.txt", "x");
  VectorRows rows({Malware(texts::kKindFile, "C:\\Bad\\1.txt")});
  stop = true;
  const CureTally tally = CureCheckedRows(env, rows, stop);
  EXPECT_TRUE(tally.stopped);
  EXPECT_EQ(rows.rows.size(), 1u);
  EXPECT_TRUE(files.Exists("C:\\Bad\\1.txt"));
}

}  // namespace
}  // namespace tvac::remedy
