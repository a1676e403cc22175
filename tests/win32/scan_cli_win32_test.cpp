// tvac-scan.exe end to end: a machine prepared with files, folders, registry keys,
// values and traces, a database naming some of them, and the exact rows printed.
#include <windows.h>

#include <gtest/gtest.h>

#include "base/texts.h"
#include "fakes/pattern_builder.h"
#include "platform/path.h"
#include "platform/win32/codepage.h"
#include "platform/win32/files_win32.h"
#include "platform/win32/handles.h"
#include "remedy/system_ops.h"
#include "samples/korean_samples.h"
#include "scan/trace_scan.h"
#include "test_support.h"

namespace tvac {
namespace {

using platform::win32::UniqueHandle;
using platform::win32::Widen;

constexpr char kRoot[] = "C:\\tvac-scan-test";
constexpr char kTestKey[] = "Software\\TvacScanTest";

struct ScannerRun {
  DWORD exit_code = 0;
  std::string out;  // converted back to code page 949
  std::string err;
};

std::string ReadAllFrom(HANDLE pipe) {
  std::string bytes;
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(pipe, buffer, sizeof(buffer), &got, nullptr) && got > 0)
    bytes.append(buffer, got);
  return bytes;
}

std::string FromUtf8(const std::string& utf8) {
  std::wstring wide(utf8.size(), L'\0');
  wide.resize(MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()),
                                  wide.data(), static_cast<int>(wide.size())));
  return platform::win32::Narrow(wide);
}

ScannerRun RunScanner(const std::string& arguments) {
  platform::win32::Win32Files files;
  const std::string own = files.ProgramPath();  // ...\tests\win32\scan_cli_win32_test.exe
  const std::string scanner =
      std::string(platform::ParentPath(platform::ParentPath(platform::ParentPath(own)))) +
      "\\tvac-scan.exe";

  SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
  HANDLE out_read, out_write, err_read, err_write;
  CreatePipe(&out_read, &out_write, &inherit, 0);
  CreatePipe(&err_read, &err_write, &inherit, 0);
  SetHandleInformation(out_read, HANDLE_FLAG_INHERIT, 0);
  SetHandleInformation(err_read, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = out_write;
  startup.hStdError = err_write;
  PROCESS_INFORMATION info{};
  std::wstring command = L"\"" + Widen(scanner) + L"\" " + Widen(arguments);
  ScannerRun run;
  const BOOL started = CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE,
                                      DETACHED_PROCESS, nullptr, nullptr, &startup, &info);
  CloseHandle(out_write);
  CloseHandle(err_write);
  UniqueHandle out_pipe(out_read), err_pipe(err_read);
  if (!started) {
    ADD_FAILURE() << "cannot start " << scanner;
    return run;
  }
  CloseHandle(info.hThread);
  UniqueHandle process(info.hProcess);
  // Progress on stderr is short; read stdout to its end first.
  run.out = FromUtf8(ReadAllFrom(out_pipe.get()));
  run.err = FromUtf8(ReadAllFrom(err_pipe.get()));
  WaitForSingleObject(process.get(), 30000);
  GetExitCodeProcess(process.get(), &run.exit_code);
  return run;
}

void SetString(HKEY root, const std::string& key, const std::string& name,
               const std::string& data) {
  const std::wstring wide = Widen(data);
  RegSetKeyValueW(root, Widen(key).c_str(), Widen(name).c_str(), REG_SZ, wide.c_str(),
                  static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t)));
}

std::string Tsv(std::initializer_list<std::string> fields) {
  std::string line;
  for (const std::string& f : fields) {
    if (&f != fields.begin()) line += '\t';
    line += f;
  }
  line += '\n';
  return line;
}

class ScanCliTest : public testing::Test {
 protected:
  void SetUp() override {
    // Nothing of an earlier run, and no traces but the test's own.
    RegDeleteTreeW(HKEY_CURRENT_USER, Widen(kTestKey).c_str());
    for (const scan::TraceEntry& entry : scan::TraceCatalogue()) {
      RegDeleteTreeW(entry.root == "HKEY_LOCAL_MACHINE" ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER,
                     Widen(entry.key_path).c_str());
    }
    platform::win32::Win32Files files;
    ASSERT_TRUE(remedy::DeleteFolderTree(files, kRoot));
    CreateDirectoryW(Widen(kRoot).c_str(), nullptr);
  }

  std::string WriteDatabase(const std::string& content) {
    const std::string path = std::string(kRoot) + "\\pattern.ini";
    testing_win32::WriteFileBytes(path, content);
    return path;
  }
};

TEST_F(ScanCliTest, PrintsTheExactRowsOfAPreparedMachine) {
  const std::string malware_folder = std::string(kRoot) + "\\" + samples::kHangulFolder;
  CreateDirectoryW(Widen(malware_folder).c_str(), nullptr);
  testing_win32::WriteFileBytes(malware_folder + "\\bad.exe", "12345");
  CreateDirectoryW(Widen(std::string(kRoot) + "\\adware").c_str(), nullptr);
  SetString(HKEY_CURRENT_USER, kTestKey, "Run", samples::kHangulData);
  HKEY adware;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, Widen(std::string(kTestKey) + "\\Adware").c_str(), 0,
                            nullptr, 0, KEY_READ, nullptr, &adware, nullptr),
            ERROR_SUCCESS);
  RegCloseKey(adware);
  const std::string run_mru = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU";
  const std::string open_save =
      "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ComDlg32\\OpenSaveMRU";
  const std::string typed = "Software\\Microsoft\\Internet Explorer\\TypedURLs";
  SetString(HKEY_CURRENT_USER, run_mru, "a", "notepad");
  SetString(HKEY_CURRENT_USER, open_save, "a", samples::kHangulData);
  SetString(HKEY_CURRENT_USER, typed, "url1", "http://example.test/");

  const std::string file(texts::kKindFile), folder(texts::kKindFolder);
  const std::string reg_value(texts::kKindRegValue), reg_key(texts::kKindRegKey);
  const std::string bad = malware_folder + "\\bad.exe";
  const std::string db = WriteDatabase(
      fakes::PatternBuilder()
          .Entry(samples::kTrojanName, samples::kTrojanInfo)
          .File(bad + "#5#" + file)
          .File(bad + "#6#" + file)
          .File(std::string(kRoot) + "\\missing.exe#default#" + file)
          .Reg(std::string("HKEY_CURRENT_USER#") + kTestKey + "#Run#default#" + reg_value)
          .Entry(samples::kAdwareName, "adware")
          .File(std::string(kRoot) + "\\adware#default#" + folder)
          .Reg(std::string("HKEY_CURRENT_USER#") + kTestKey + "\\Adware#-#-#" + reg_key)
          .Build());

  const ScannerRun run = RunScanner("--tsv --db \"" + db + "\"");
  const std::string hkcu = "HKEY_CURRENT_USER\\";
  const std::string registry(texts::kRegistry);
  const std::string expected =
      Tsv({samples::kAdwareName, hkcu + kTestKey + "\\Adware/-/-", "adware", reg_key, "", "MALWARE",
           "CHECK", ""}) +
      Tsv({samples::kAdwareName, std::string(kRoot) + "\\adware", "adware", folder, "", "MALWARE",
           "CHECK", ""}) +
      Tsv({samples::kTrojanName, hkcu + kTestKey + "/Run/" + samples::kHangulData,
           samples::kTrojanInfo, reg_value, "", "MALWARE", "CHECK", ""}) +
      Tsv({samples::kTrojanName, bad, samples::kTrojanInfo, file, "", "MALWARE", "CHECK", ""}) +
      Tsv({"notepad", std::string(texts::kTraceRun), registry, "a", hkcu + run_mru, "REGISTRY",
           "CHECK", "3"}) +
      Tsv({std::string(platform::FileNameOf(samples::kHangulData)),
           std::string(texts::kTraceExplorer), registry, "a", hkcu + open_save, "REGISTRY", "CHECK",
           "5"}) +
      Tsv({"http://example.test/", std::string(texts::kTraceInternet), registry, "url1",
           hkcu + typed, "REGISTRY", "CHECK", "19"});
  EXPECT_EQ(run.out, expected);
  EXPECT_EQ(run.exit_code, 1u);
}

TEST_F(ScanCliTest, CleanMachineExitsWithZeroAndPrintsTheResultLine) {
  const std::string db = WriteDatabase(
      fakes::PatternBuilder()
          .Entry(samples::kTrojanName, samples::kTrojanInfo)
          .File(std::string(kRoot) + "\\missing.exe#default#" + std::string(texts::kKindFile))
          .Build());
  const ScannerRun run = RunScanner("--db " + db);
  EXPECT_EQ(run.exit_code, 0u);
  EXPECT_NE(run.out.find(scan::ResultLine({})), std::string::npos) << run.out;
  EXPECT_NE(run.out.find(std::string(texts::kColumnName)), std::string::npos);
}

TEST_F(ScanCliTest, MissingDatabaseScansTracesOnlyAndSaysSo) {
  SetString(HKEY_CURRENT_USER, "Software\\Microsoft\\Internet Explorer\\TypedURLs", "url1",
            "http://example.test/");
  const ScannerRun run = RunScanner("--tsv --db C:\\tvac-scan-test\\none.ini");
  EXPECT_EQ(run.exit_code, 1u);
  EXPECT_NE(run.err.find(std::string(texts::kScanNoDatabase) + "C:\\tvac-scan-test\\none.ini"),
            std::string::npos)
      << run.err;
  EXPECT_NE(run.out.find("http://example.test/"), std::string::npos);
}

TEST_F(ScanCliTest, UsageErrorsExitWithTwo) {
  for (const char* args : {"--db", "--what", "--tsv --tsv"}) {
    const ScannerRun run = RunScanner(args);
    EXPECT_EQ(run.exit_code, 2u) << args;
    EXPECT_EQ(run.out, "") << args;
    EXPECT_EQ(run.err, std::string(texts::kScanUsage) + "\n") << args;
  }
}

}  // namespace
}  // namespace tvac
