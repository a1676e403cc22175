#include "platform/win32/processes_win32.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "platform/text.h"
#include "platform/win32/codepage.h"
#include "platform/win32/files_win32.h"
#include "platform/win32/handles.h"
#include "remedy/system_ops.h"
#include "test_support.h"

namespace tvac {
namespace {

using platform::win32::UniqueHandle;
using platform::win32::Widen;

constexpr char kHelper[] = "tvac_test_sleeper.exe";

// Starts `path` and returns its process handle.
UniqueHandle Start(const std::string& path) {
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info{};
  std::wstring command = L"\"" + Widen(path) + L"\"";
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, DETACHED_PROCESS, nullptr,
                      nullptr, &startup, &info)) {
    return UniqueHandle();
  }
  CloseHandle(info.hThread);
  return UniqueHandle(info.hProcess);
}

bool Running(const UniqueHandle& process) {
  return WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT;
}

bool Ended(const UniqueHandle& process) {
  return WaitForSingleObject(process.get(), 5000) == WAIT_OBJECT_0;
}

// Two copies of the helper, started from two folders.
class Win32ProcessesTest : public testing::Test {
 protected:
  void SetUp() override {
    platform::win32::Win32Files files;
    const std::string own = files.ProgramPath();
    const std::string helper = own.substr(0, own.rfind('\\') + 1) + kHelper;
    const std::string root =
        testing_win32::ScratchFolder(testing::UnitTest::GetInstance()->current_test_info()->name());
    for (const char* copy : {"A", "B"}) {
      const std::string folder = root + "\\" + copy;
      CreateDirectoryW(Widen(folder).c_str(), nullptr);
      paths_.push_back(folder + "\\" + kHelper);
      ASSERT_TRUE(CopyFileW(Widen(helper).c_str(), Widen(paths_.back()).c_str(), FALSE)) << helper;
      copies_.push_back(Start(paths_.back()));
      ASSERT_TRUE(copies_.back()) << paths_.back();
    }
  }
  void TearDown() override {
    for (UniqueHandle& copy : copies_) {
      TerminateProcess(copy.get(), 0);
      WaitForSingleObject(copy.get(), 5000);
    }
  }

  platform::win32::Win32Processes processes_;
  std::vector<std::string> paths_;
  std::vector<UniqueHandle> copies_;
};

TEST_F(Win32ProcessesTest, ListsImageNamesAndFullPaths) {
  const auto listed = processes_.List();
  ASSERT_TRUE(listed.has_value());
  int found = 0;
  for (const auto& process : *listed) {
    if (platform::EqualsIgnoringAsciiCase(process.image_name, kHelper)) {
      ++found;
      EXPECT_TRUE(platform::EqualsIgnoringAsciiCase(process.path, paths_[0]) ||
                  platform::EqualsIgnoringAsciiCase(process.path, paths_[1]))
          << process.path;
    }
  }
  EXPECT_EQ(found, 2);
}

TEST_F(Win32ProcessesTest, EndingByPathStopsOnlyThatCopy) {
  EXPECT_TRUE(remedy::TerminateProcessByPath(processes_, platform::AsciiUpper(paths_[0])));
  EXPECT_TRUE(Ended(copies_[0]));
  EXPECT_TRUE(Running(copies_[1]));
}

TEST_F(Win32ProcessesTest, EndingByNameNeedsTheWholeName) {
  EXPECT_FALSE(remedy::TerminateProcessByName(processes_, "sleeper.exe"));
  EXPECT_FALSE(remedy::TerminateProcessByName(processes_, "tvac_test_sleeper"));
  EXPECT_TRUE(Running(copies_[0]));
  EXPECT_TRUE(Running(copies_[1]));

  EXPECT_TRUE(remedy::TerminateProcessByName(processes_, "TVAC_TEST_SLEEPER.EXE"));
  const bool first_ended = Ended(copies_[0]) || Ended(copies_[1]);
  EXPECT_TRUE(first_ended);
  EXPECT_TRUE(Running(copies_[0]) != Running(copies_[1]));  // only one of them
}

TEST_F(Win32ProcessesTest, NeverEndsItself) {
  platform::win32::Win32Files files;
  EXPECT_FALSE(remedy::TerminateProcessByPath(processes_, files.ProgramPath()));
  EXPECT_FALSE(remedy::TerminateProcessByName(processes_, "processes_win32_test.exe"));
}

}  // namespace
}  // namespace tvac
