#include "platform/win32/files_win32.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>

#include "platform/path.h"
#include "platform/text.h"
#include "platform/win32/codepage.h"
#include "platform/win32/processes_win32.h"
#include "remedy/system_ops.h"
#include "samples/korean_samples.h"
#include "test_support.h"

namespace tvac {
namespace {

using platform::KnownFolder;
using platform::win32::Widen;
using testing_win32::PathExists;
using testing_win32::ScratchFolder;
using testing_win32::WriteFileBytes;

// Prepared by prepare_prefix.sh: a Unix symbolic link inside drive_c, which Win32
// sees as a folder with a reparse point.
constexpr char kLinkFixture[] = "C:\\tvac-tests\\links";

class Win32FilesTest : public testing::Test {
 protected:
  platform::win32::Win32Files files_;
};

TEST_F(Win32FilesTest, KnownFoldersAndOwnPath) {
  for (KnownFolder which :
       {KnownFolder::kWindows, KnownFolder::kSystem, KnownFolder::kCommonStartMenu,
        KnownFolder::kProgramFiles, KnownFolder::kProfilesRoot, KnownFolder::kUserProfile}) {
    const auto folder = files_.Folder(which);
    ASSERT_TRUE(folder.has_value()) << static_cast<int>(which);
    EXPECT_TRUE(platform::NormalizeFullPath(*folder).has_value()) << *folder;
    EXPECT_NE(folder->back(), '\\') << *folder;
  }
  EXPECT_TRUE(platform::IsSameOrAncestor(*files_.Folder(KnownFolder::kWindows),
                                         *files_.Folder(KnownFolder::kSystem)));
  EXPECT_EQ(platform::AsciiLower(platform::FileNameOf(files_.ProgramPath())),
            "files_win32_test.exe");
  EXPECT_FALSE(files_.UserName().empty());
}

TEST_F(Win32FilesTest, StatReadAndListWithKoreanNames) {
  const std::string root = ScratchFolder("stat");
  const std::string folder = root + "\\" + samples::kHangulFolder;
  ASSERT_TRUE(CreateDirectoryW(Widen(folder).c_str(), nullptr));
  WriteFileBytes(folder + "\\a.ini", "[A]\r\nk=v\r\n");

  const auto file = files_.Stat(folder + "\\a.ini");
  ASSERT_TRUE(file.has_value());
  EXPECT_FALSE(file->folder);
  EXPECT_EQ(file->size, 10u);
  EXPECT_EQ(files_.ReadAll(folder + "\\A.INI"), "[A]\r\nk=v\r\n");
  EXPECT_FALSE(files_.Stat(folder + "\\missing").has_value());
  EXPECT_FALSE(files_.ReadAll(folder + "\\missing").has_value());

  std::vector<platform::FolderEntry> entries;
  ASSERT_EQ(files_.ListFolder(root, entries), platform::kOk);
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].name, samples::kHangulFolder);
  EXPECT_TRUE(entries[0].status.folder);
  EXPECT_TRUE(remedy::DeleteFolderTree(files_, root));
}

TEST_F(Win32FilesTest, FolderTreeGoesWithItsReadOnlyFiles) {
  const std::string root = ScratchFolder("tree");
  for (const char* sub : {"\\sub", "\\sub\\deep", "\\other"}) {
    CreateDirectoryW(Widen(root + sub).c_str(), nullptr);
  }
  WriteFileBytes(root + "\\a.exe", "a");
  WriteFileBytes(root + "\\other\\b.dll", "b");
  WriteFileBytes(root + "\\sub\\deep\\locked.sys", "c");
  SetFileAttributesW(Widen(root + "\\sub\\deep\\locked.sys").c_str(), FILE_ATTRIBUTE_READONLY);
  ASSERT_TRUE(files_.Stat(root + "\\sub\\deep\\locked.sys")->read_only);

  EXPECT_TRUE(remedy::DeleteFolderTree(files_, root));
  EXPECT_FALSE(PathExists(root));
}

TEST_F(Win32FilesTest, FileInUseKeepsItsFolders) {
  const std::string root = ScratchFolder("busy");
  CreateDirectoryW(Widen(root + "\\sub").c_str(), nullptr);
  WriteFileBytes(root + "\\a.exe", "a");
  WriteFileBytes(root + "\\sub\\open.log", "c");
  HANDLE open = CreateFileW(Widen(root + "\\sub\\open.log").c_str(), GENERIC_READ, 0, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(open, INVALID_HANDLE_VALUE);

  EXPECT_FALSE(remedy::DeleteFolderTree(files_, root));
  EXPECT_TRUE(PathExists(root + "\\sub\\open.log"));
  EXPECT_FALSE(PathExists(root + "\\a.exe"));

  CloseHandle(open);
  EXPECT_TRUE(remedy::DeleteFolderTree(files_, root));
  EXPECT_FALSE(PathExists(root));
}

TEST_F(Win32FilesTest, LinkInsideATreeIsRemovedAndItsTargetKept) {
  const std::string tree = std::string(kLinkFixture) + "\\tree";
  const auto link = files_.Stat(tree + "\\link");
  ASSERT_TRUE(link.has_value()) << "run prepare_prefix.sh first";
  EXPECT_TRUE(link->folder);
  EXPECT_TRUE(link->reparse_point);
  ASSERT_TRUE(PathExists(tree + "\\link\\keep.txt"));

  // Windows removes the link itself; Wine 8 cannot remove a Unix link to a folder
  // through any Win32 call, so there the link and the folder holding it stay. Either
  // way the target is never entered and the result says whether the tree is gone.
  const bool gone = remedy::DeleteFolderTree(files_, tree);
  EXPECT_EQ(gone, !PathExists(tree));
  EXPECT_FALSE(PathExists(tree + "\\sub"));
  EXPECT_TRUE(PathExists(std::string(kLinkFixture) + "\\target\\keep.txt"));
}

TEST_F(Win32FilesTest, ProtectedFoldersAreRefused) {
  const std::string windows = *files_.Folder(KnownFolder::kWindows);
  const std::string profile = *files_.Folder(KnownFolder::kUserProfile);
  for (const std::string& path :
       {std::string("C:\\"), windows, windows + "\\..", *files_.Folder(KnownFolder::kProgramFiles),
        *files_.Folder(KnownFolder::kProfilesRoot), profile}) {
    EXPECT_FALSE(remedy::DeleteFolderTree(files_, path)) << path;
  }
  EXPECT_TRUE(PathExists(windows + "\\system32\\kernel32.dll"));
  EXPECT_TRUE(PathExists(profile));
}

// Writes `content` over the file in place, cut to nothing first and then written in
// pieces, through a handle that lets readers in meanwhile. False when the file is
// busy.
bool RewriteInPlace(const std::string& path, const std::string& content) {
  HANDLE file = CreateFileW(Widen(path).c_str(), GENERIC_WRITE,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  SetEndOfFile(file);
  constexpr std::size_t kPiece = 4096;
  for (std::size_t done = 0; done < content.size(); done += kPiece) {
    DWORD written = 0;
    WriteFile(file, content.data() + done,
              static_cast<DWORD>(std::min(kPiece, content.size() - done)), &written, nullptr);
  }
  CloseHandle(file);
  return true;
}

TEST_F(Win32FilesTest, FileChangedWhileReadReadsAsOneVersionOrAPrefixOfOne) {
  const std::string root = ScratchFolder("rewrite");
  const std::string path = root + "\\pattern.ini";
  const std::string fresh = root + "\\pattern.ini.download";
  // Each version is one byte repeated, so that a read tells which version it came from.
  const std::vector<std::string> versions = {std::string(96 * 1024, 'a'), std::string(3000, 'b'),
                                             std::string(200 * 1024, 'c'), std::string(1, 'd'),
                                             std::string(64 * 1024 + 1, 'e')};
  WriteFileBytes(path, versions[0]);

  // A writer that rewrites the file in place and, every other time, puts a new one in
  // its place by rename as the update does, until the reader is done.
  std::atomic<bool> reading{true};
  std::string last_written = versions[0];
  std::thread writer([&] {
    platform::win32::Win32Files writer_files;
    for (std::size_t round = 1; reading; ++round) {
      const std::string& version = versions[round % versions.size()];
      bool written = false;
      if (round % 2 == 0) {
        written = RewriteInPlace(path, version);
      } else {
        WriteFileBytes(fresh, version);
        written = writer_files.Replace(fresh, path) == platform::kOk;
      }
      if (written) last_written = version;
    }
  });

  constexpr int kReads = 1500;
  int whole = 0;
  int unreadable = 0;
  for (int i = 0; i < kReads; ++i) {
    const std::optional<std::string> content = files_.ReadAll(path);
    if (!content) {
      ++unreadable;  // reads as missing: the database's default
      continue;
    }
    const auto version = std::find_if(versions.begin(), versions.end(), [&](const std::string& v) {
      return content->empty() || content->front() == v.front();
    });
    if (version == versions.end()) {
      ADD_FAILURE() << "read " << content->size() << " bytes of no version";
      continue;
    }
    EXPECT_LE(content->size(), version->size());
    EXPECT_EQ(content->find_first_not_of(version->front()), std::string::npos)
        << "bytes of two versions in one read of " << content->size();
    whole += *content == *version;
  }
  reading = false;
  writer.join();

  EXPECT_LT(unreadable, kReads);
  EXPECT_GT(whole, 0);
  EXPECT_EQ(files_.ReadAll(path), last_written);
  EXPECT_TRUE(remedy::DeleteFolderTree(files_, root));
}

TEST_F(Win32FilesTest, UnregisterModuleStartsTheSystemsRegsvr32) {
  platform::win32::Win32Shell shell;
  EXPECT_TRUE(PathExists(*files_.Folder(KnownFolder::kSystem) + "\\regsvr32.exe"));
  EXPECT_TRUE(remedy::UnregisterModule(files_, shell, "C:\\no such folder\\none.dll"));
}

}  // namespace
}  // namespace tvac
