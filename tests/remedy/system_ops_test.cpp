#include "remedy/system_ops.h"

#include <gtest/gtest.h>

#include "fakes/fake_files.h"
#include "fakes/fake_processes.h"
#include "fakes/fake_registry.h"
#include "platform/registry_values.h"

namespace tvac::remedy {
namespace {

using fakes::FakeFiles;
using fakes::FakeProcesses;
using fakes::FakeRegistry;
using fakes::FakeShell;
using platform::kAccessDenied;
using platform::kFileNotFound;
using platform::KnownFolder;
using platform::kOk;
using platform::ProcessInfo;
using platform::WriteRegistryString;

constexpr RootKey kHkcu = RootKey::kCurrentUser;

class DeleteRegistryKeyTest : public testing::Test {
 protected:
  void SetUp() override {
    for (const char* key : {"Software\\Bad\\A\\A1\\Deep", "Software\\Bad\\A\\A2",
                            "Software\\Bad\\B", "Software\\Keep"}) {
      WriteRegistryString(registry, kHkcu, key, "v", "1");
    }
  }
  FakeRegistry registry;
};

TEST_F(DeleteRegistryKeyTest, RemovesTheWholeTreeWithTheKey) {
  EXPECT_EQ(DeleteRegistryKey(registry, kHkcu, "Software\\Bad", true), kOk);
  EXPECT_FALSE(registry.KeyExists(kHkcu, "Software\\Bad"));
  EXPECT_TRUE(registry.KeyExists(kHkcu, "Software\\Keep"));
  EXPECT_EQ(registry.open_count(), 0);
}

TEST_F(DeleteRegistryKeyTest, WithoutTheFlagLeavesTheKeyEmpty) {
  EXPECT_EQ(DeleteRegistryKey(registry, kHkcu, "Software\\Bad", false), kOk);
  EXPECT_TRUE(registry.KeyExists(kHkcu, "Software\\Bad"));
  EXPECT_TRUE(registry.SubkeyNames(kHkcu, "Software\\Bad").empty());
}

TEST_F(DeleteRegistryKeyTest, MissingKeyReportsTheOpenError) {
  EXPECT_EQ(DeleteRegistryKey(registry, kHkcu, "Software\\Missing", true), kFileNotFound);
}

TEST_F(DeleteRegistryKeyTest, RefusesRootsAndTheirDirectChildren) {
  for (const char* path : {"", "Software", "\\Software\\", "SOFTWARE"}) {
    EXPECT_EQ(DeleteRegistryKey(registry, kHkcu, path, true), kAccessDenied) << path;
    EXPECT_EQ(DeleteRegistrySubkeys(registry, kHkcu, path), kAccessDenied) << path;
  }
  EXPECT_TRUE(registry.KeyExists(kHkcu, "Software\\Bad\\A\\A1\\Deep"));
}

TEST_F(DeleteRegistryKeyTest, ChildThatCannotBeRemovedEndsWithItsError) {
  registry.DenyWrite(kHkcu, "Software\\Bad\\A\\A1");
  EXPECT_EQ(DeleteRegistryKey(registry, kHkcu, "Software\\Bad", true), kAccessDenied);
  EXPECT_TRUE(registry.KeyExists(kHkcu, "Software\\Bad\\A\\A1\\Deep"));
  EXPECT_TRUE(registry.KeyExists(kHkcu, "Software\\Bad"));
}

TEST_F(DeleteRegistryKeyTest, LongChildPathsAreRemoved) {
  std::string path = "Software\\Bad\\Long";
  for (int i = 0; i < 12; ++i) path += "\\" + std::string(40, static_cast<char>('a' + i));
  ASSERT_GT(path.size(), 260u);
  WriteRegistryString(registry, kHkcu, path, "v", "1");
  EXPECT_EQ(DeleteRegistryKey(registry, kHkcu, "Software\\Bad", true), kOk);
  EXPECT_FALSE(registry.KeyExists(kHkcu, "Software\\Bad"));
}

class TerminateTest : public testing::Test {
 protected:
  void SetUp() override {
    processes.own_id = 10;
    processes.running = {
        {4, "svchost.exe", "C:\\Windows\\System32\\svchost.exe"},
        {10, "tvac.exe", "C:\\Program Files\\Talvo\\tvac.exe"},
        {20, "SVCHOST.EXE", "C:\\Users\\tester\\AppData\\svchost.exe"},
        {21, "svchost.exe", "c:\\users\\TESTER\\appdata\\SVCHOST.exe"},
        {30, "notepad.exe", "C:\\Windows\\notepad.exe"},
        {31, "mynotepad.exe", "C:\\Tools\\mynotepad.exe"},
        {40, "secret.exe", ""},
    };
  }
  FakeProcesses processes;
};

TEST_F(TerminateTest, ByNameMatchesTheWholeNameIgnoringCase) {
  EXPECT_TRUE(TerminateProcessByName(processes, "NOTEPAD.exe"));
  EXPECT_EQ(processes.terminated, (std::vector<std::uint32_t>{30}));
  EXPECT_TRUE(processes.IsRunning(31));
}

TEST_F(TerminateTest, ByNameEndsOnlyTheFirstMatch) {
  EXPECT_TRUE(TerminateProcessByName(processes, "svchost.exe"));
  EXPECT_EQ(processes.terminated, (std::vector<std::uint32_t>{4}));
}

TEST_F(TerminateTest, ByNameFindsNothingForPartsOfNames) {
  for (const char* name : {"pad.exe", "notepad", "", "otepad.exe"}) {
    EXPECT_FALSE(TerminateProcessByName(processes, name)) << name;
  }
  EXPECT_TRUE(processes.terminated.empty());
}

TEST_F(TerminateTest, ByNameNeverEndsTheAgentItself) {
  EXPECT_FALSE(TerminateProcessByName(processes, "tvac.exe"));
  EXPECT_TRUE(processes.terminated.empty());
}

TEST_F(TerminateTest, ByNameReportsRefusalsAndListingFailures) {
  processes.refuse = {30};
  EXPECT_FALSE(TerminateProcessByName(processes, "notepad.exe"));
  processes.list_fails = true;
  EXPECT_FALSE(TerminateProcessByName(processes, "mynotepad.exe"));
}

TEST_F(TerminateTest, ByPathEndsOnlyCopiesOfThatFile) {
  EXPECT_TRUE(TerminateProcessByPath(processes, "C:\\Users\\Tester\\AppData\\svchost.exe"));
  EXPECT_EQ(processes.terminated, (std::vector<std::uint32_t>{20, 21}));
  EXPECT_TRUE(processes.IsRunning(4));
}

TEST_F(TerminateTest, ByPathSkipsTheAgentAndUnknownPaths) {
  EXPECT_FALSE(TerminateProcessByPath(processes, "C:\\Program Files\\Talvo\\tvac.exe"));
  EXPECT_FALSE(TerminateProcessByPath(processes, "C:\\elsewhere\\secret.exe"));
  EXPECT_FALSE(TerminateProcessByPath(processes, "secret.exe"));
  EXPECT_TRUE(processes.terminated.empty());
}

TEST(UnregisterModule, RunsTheSystemsRegsvr32HiddenWithTheQuotedPath) {
  FakeFiles files;
  files.SetFolder(KnownFolder::kSystem, "D:\\WinNT\\system32");
  FakeShell shell;
  EXPECT_TRUE(UnregisterModule(files, shell, "C:\\Program Files\\Bad Co\\hook.dll"));
  ASSERT_EQ(shell.calls.size(), 1u);
  EXPECT_EQ(shell.calls[0].file, "D:\\WinNT\\system32\\regsvr32.exe");
  EXPECT_EQ(shell.calls[0].parameters, "/u /s \"C:\\Program Files\\Bad Co\\hook.dll\"");
  EXPECT_EQ(shell.calls[0].show, platform::ShowWindow::kHidden);

  files.SetFolder(KnownFolder::kSystem, std::nullopt);
  EXPECT_FALSE(UnregisterModule(files, shell, "C:\\x.dll"));
  EXPECT_EQ(shell.calls.size(), 1u);
}

class DeleteFolderTreeTest : public testing::Test {
 protected:
  void SetUp() override {
    files.AddFile("C:\\Bad\\a.exe", "x");
    files.AddFile("C:\\Bad\\sub\\b.dll", "y");
    files.AddFolder("C:\\Bad\\empty\\deeper");
    files.AddFile("C:\\Target\\keep.txt", "k");
  }
  FakeFiles files;
};

TEST_F(DeleteFolderTreeTest, RemovesEverything) {
  EXPECT_TRUE(DeleteFolderTree(files, "C:\\Bad"));
  EXPECT_FALSE(files.Exists("C:\\Bad"));
  EXPECT_TRUE(files.Exists("C:\\Target\\keep.txt"));
}

TEST_F(DeleteFolderTreeTest, ReadOnlyFilesGo) {
  files.AddFile("C:\\Bad\\sub\\ro.sys", "r", /*read_only=*/true);
  EXPECT_TRUE(DeleteFolderTree(files, "C:\\Bad"));
  EXPECT_FALSE(files.Exists("C:\\Bad"));
}

TEST_F(DeleteFolderTreeTest, FileInUseStaysWithTheFoldersAboveIt) {
  files.AddFile("C:\\Bad\\sub\\locked.sys", "r");
  files.LockFile("C:\\Bad\\sub\\locked.sys");
  EXPECT_FALSE(DeleteFolderTree(files, "C:\\Bad"));
  EXPECT_TRUE(files.Exists("C:\\Bad\\sub\\locked.sys"));
  EXPECT_FALSE(files.Exists("C:\\Bad\\sub\\b.dll"));
  EXPECT_FALSE(files.Exists("C:\\Bad\\a.exe"));
  EXPECT_FALSE(files.Exists("C:\\Bad\\empty"));
}

TEST_F(DeleteFolderTreeTest, LinkIsRemovedAndItsTargetKept) {
  files.AddFolderLink("C:\\Bad\\link", "C:\\Target");
  ASSERT_TRUE(files.Exists("C:\\Bad\\link\\keep.txt"));
  EXPECT_TRUE(DeleteFolderTree(files, "C:\\Bad"));
  EXPECT_FALSE(files.Exists("C:\\Bad"));
  EXPECT_TRUE(files.Exists("C:\\Target\\keep.txt"));
}

TEST_F(DeleteFolderTreeTest, LinkGivenItselfIsRemovedAsALink) {
  files.AddFolderLink("C:\\Bad\\link", "C:\\Target");
  EXPECT_TRUE(DeleteFolderTree(files, "C:\\Bad\\link"));
  EXPECT_TRUE(files.Exists("C:\\Target\\keep.txt"));
  EXPECT_TRUE(files.Exists("C:\\Bad\\a.exe"));
}

TEST_F(DeleteFolderTreeTest, RefusesProtectedFoldersWithoutTouchingAnything) {
  files.SetFolder(KnownFolder::kWindows, "C:\\OS\\Windows");
  files.AddFile("C:\\OS\\Windows\\explorer.exe");
  files.AddFile("C:\\Users\\tester\\Documents\\letter.txt");
  files.AddFile("C:\\Users\\other\\x.txt");
  files.AddFile("C:\\Program Files (x86)\\App\\app.exe");
  for (const char* path :
       {"C:\\", "C:", "c:\\os\\windows", "C:\\OS", "C:\\OS\\Windows\\", "C:\\Temp\\..\\OS\\Windows",
        "C:\\Program Files", "C:\\PROGRAM FILES (X86)", "C:\\Users", "C:\\Users\\tester",
        "C:\\Users\\other", "C:/Users/other/", "Bad", ""}) {
    EXPECT_FALSE(DeleteFolderTree(files, path)) << path;
  }
  EXPECT_EQ(files.removals(), 0);
}

TEST_F(DeleteFolderTreeTest, MayDeleteInsideProtectedFolders) {
  files.AddFile("C:\\Users\\tester\\AppData\\Bad\\x.exe");
  EXPECT_TRUE(DeleteFolderTree(files, "C:\\Users\\tester\\AppData\\Bad"));
  EXPECT_TRUE(files.Exists("C:\\Users\\tester\\AppData"));
}

TEST_F(DeleteFolderTreeTest, MissingFolderIsGoneAndAFileIsNotAFolder) {
  EXPECT_TRUE(DeleteFolderTree(files, "C:\\Nowhere"));
  EXPECT_FALSE(DeleteFolderTree(files, "C:\\Bad\\a.exe"));
  EXPECT_TRUE(files.Exists("C:\\Bad\\a.exe"));
}

}  // namespace
}  // namespace tvac::remedy
