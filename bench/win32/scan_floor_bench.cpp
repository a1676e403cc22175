// How close the scan comes to the cost of the checks it has to make, on this
// machine (under wine on Debian, or on Windows):
//   tvac_scan_floor_bench.exe WORK_DIR PROGRAM_DIR [ENTRIES] [ROUNDS]
// It writes a database of ENTRIES entries (20,000 unless given), each with three
// file rules and two registry rules, into WORK_DIR, plants the items of every
// thousandth entry so that the scan has rows to find, and then, ROUNDS times (3
// unless given), measures side by side:
// - the bare checks: the file-attribute query of every file rule and the key open
//   (and, where it opens, the value query) of every registry rule, with the W
//   functions and nothing else;
// - the program's phases in this process: the database read and decoded, the
//   signature scan, the trace scan;
// - the console scanner as a user runs it, `tvac-scan.exe --db ... --tsv`, as a
//   whole process, and the start and end of a process that does nothing;
// - the same scan in the agent, tvac.exe (needs a display): from the scan command
//   to the closing message, while a probe asks the window's thread every 10 ms to
//   handle a message and notes the longest wait.
// PROGRAM_DIR holds tvac-scan.exe and tvac.exe. Each measurement runs in a process
// of its own (this program again, with --bare or --phases), so that none inherits
// the heap this one fills while it writes the database. It prints the median of
// each figure and the ratio of the whole scan to the bare checks. The planted items
// and the agent's settings are removed at the end.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "base/texts.h"
#include "fakes/pattern_builder.h"
#include "platform/win32/codepage.h"
#include "platform/win32/files_win32.h"
#include "platform/win32/registry_win32.h"
#include "res/resource_ids.h"
#include "scan/pattern_database.h"
#include "scan/signature_scan.h"
#include "scan/trace_scan.h"

namespace {

using tvac::platform::win32::Narrow;
using tvac::platform::win32::Widen;
using Clock = std::chrono::steady_clock;

constexpr int kPlantEvery = 1000;
constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr wchar_t kVendorKeys[] = L"Software\\TvacBench";

struct FileCheck {
  std::wstring path;
};
struct KeyCheck {
  HKEY root;
  std::wstring subkey;
  std::wstring value;
};

// The database and, beside it, the checks its rules need.
struct Workload {
  std::string database;
  std::vector<FileCheck> files;
  std::vector<KeyCheck> keys;
  std::vector<std::wstring> planted_files;
  std::vector<std::wstring> planted_values;  // names under the Run key
  std::size_t planted_rows = 0;
};

Workload MakeWorkload(const std::wstring& root, int entries) {
  const std::string file(tvac::texts::kKindFile), value(tvac::texts::kKindRegValue);
  const std::string narrow_root = Narrow(root);
  Workload w;
  tvac::fakes::PatternBuilder builder;
  for (int i = 1; i <= entries; ++i) {
    const std::string n = std::to_string(i);
    const std::string vendor = narrow_root + "\\Vendor" + n + "\\agent.exe";
    const std::string driver = narrow_root + "\\drivers\\drv" + n + ".sys";
    const std::string temp = narrow_root + "\\Temp\\t" + n + ".tmp";
    const std::string vendor_key = "Software\\TvacBench\\Vendor" + n;
    const std::string run_name = "tvac-bench-" + n, run_data = "C:\\x" + n + ".exe";
    builder.Entry("Bench.Trojan." + n, "bench sample " + n)
        .File(tvac::fakes::RuleText({vendor, "default", file}))
        .File(tvac::fakes::RuleText({driver, "4096", file}))
        .File(tvac::fakes::RuleText({temp, "default", file}))
        .Reg(tvac::fakes::RuleText({"HKEY_CURRENT_USER", vendor_key, "Start", "default", value}))
        .Reg(tvac::fakes::RuleText(
            {"HKEY_CURRENT_USER", Narrow(kRunKey), run_name, run_data, value}));
    for (const std::string* path : {&vendor, &driver, &temp}) w.files.push_back({Widen(*path)});
    w.keys.push_back({HKEY_CURRENT_USER, Widen(vendor_key), L"Start"});
    w.keys.push_back({HKEY_CURRENT_USER, kRunKey, Widen(run_name)});
    if (i % kPlantEvery == 0) {
      w.planted_files.push_back(Widen(vendor));
      w.planted_values.push_back(Widen(run_name));
      w.planted_rows += 2;
    }
  }
  w.database = builder.DbInfo(std::string(tvac::texts::kDbDateLabel) + "2026.12.11").Build();
  return w;
}

bool WriteBytes(const std::wstring& path, const std::string& bytes) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                  written == bytes.size();
  CloseHandle(file);
  return ok;
}

void CreateFolders(const std::wstring& path) {
  for (std::size_t at = path.find(L'\\', 3); at != std::wstring::npos;
       at = path.find(L'\\', at + 1)) {
    CreateDirectoryW(path.substr(0, at).c_str(), nullptr);
  }
}

void Plant(const Workload& w) {
  for (const std::wstring& path : w.planted_files) {
    CreateFolders(path);
    WriteBytes(path, "MZ");
  }
  HKEY run = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, kRunKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &run,
                      nullptr) != ERROR_SUCCESS) {
    return;
  }
  for (const std::wstring& name : w.planted_values) {
    // The data of the rule is "C:\x<n>.exe"; "default" rules on the vendor keys are
    // not planted, so each planted entry gives its file row and its Run row.
    const std::wstring n = name.substr(name.rfind(L'-') + 1);
    const std::wstring data = L"C:\\x" + n + L".exe";
    RegSetValueExW(run, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                   static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
  }
  RegCloseKey(run);
}

void Unplant(const Workload& w, const std::wstring& root) {
  for (const std::wstring& path : w.planted_files) {
    DeleteFileW(path.c_str());
    RemoveDirectoryW(path.substr(0, path.rfind(L'\\')).c_str());
  }
  RemoveDirectoryW(root.c_str());
  HKEY run = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kRunKey, 0, KEY_ALL_ACCESS, &run) == ERROR_SUCCESS) {
    for (const std::wstring& name : w.planted_values) RegDeleteValueW(run, name.c_str());
    RegCloseKey(run);
  }
  RegDeleteKeyW(HKEY_CURRENT_USER, kVendorKeys);
}

// What the rules need from the system, and nothing else; returns what matched so
// that nothing is optimised away.
std::size_t BareChecks(const Workload& w) {
  std::size_t found = 0;
  for (const FileCheck& check : w.files) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (GetFileAttributesExW(check.path.c_str(), GetFileExInfoStandard, &data)) ++found;
  }
  for (const KeyCheck& check : w.keys) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(check.root, check.subkey.c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) {
      continue;
    }
    BYTE data[100];
    DWORD size = sizeof data;
    if (RegQueryValueExW(key, check.value.c_str(), nullptr, nullptr, data, &size) == ERROR_SUCCESS) {
      ++found;
    }
    RegCloseKey(key);
  }
  return found;
}

// The checks, one a line in UTF-16: "F<tab>path" or "K<tab>subkey<tab>value" (under
// HKEY_CURRENT_USER).
std::wstring ChecksText(const Workload& w) {
  std::wstring text;
  for (const FileCheck& c : w.files) text += L"F\t" + c.path + L"\n";
  for (const KeyCheck& c : w.keys) text += L"K\t" + c.subkey + L"\t" + c.value + L"\n";
  return text;
}

Workload ReadChecks(const std::wstring& path) {
  tvac::platform::win32::Win32Files files;
  const std::string bytes = files.ReadAll(Narrow(path)).value_or("");
  const std::wstring text(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / 2);
  Workload w;
  std::size_t at = 0;
  while (at < text.size()) {
    const std::size_t end = std::min(text.find(L'\n', at), text.size());
    const std::wstring line = text.substr(at, end - at);
    at = end + 1;
    if (line.rfind(L"F\t", 0) == 0) {
      w.files.push_back({line.substr(2)});
    } else if (line.rfind(L"K\t", 0) == 0) {
      const std::size_t tab = line.find(L'\t', 2);
      w.keys.push_back({HKEY_CURRENT_USER, line.substr(2, tab - 2), line.substr(tab + 1)});
    }
  }
  return w;
}

class NullDisplay : public tvac::scan::ScanDisplay {
 public:
  void SetPercent(int) override {}
  void SetStatusText(std::string) override {}
  void SetWindowsDir(std::string) override {}
  void RedrawResultLine() override {}
};

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

double Time(const std::function<void()>& work) {
  const Clock::time_point start = Clock::now();
  work();
  return Seconds(Clock::now() - start);
}

// Runs COMMAND with its output to the file OUTPUT; its exit code, or -1.
long RunProcess(std::wstring command, const std::wstring& output) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE out = CreateFileW(output.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
  HANDLE null = CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0,
                            nullptr);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = nullptr;
  startup.hStdOutput = out;
  startup.hStdError = null;
  PROCESS_INFORMATION process{};
  DWORD code = static_cast<DWORD>(-1);
  if (CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                     &process)) {
    WaitForSingleObject(process.hProcess, INFINITE);
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
  CloseHandle(out);
  CloseHandle(null);
  return static_cast<long>(code);
}

// The agent's settings key, and the one value it writes when a scan ends.
constexpr wchar_t kAgentCommon[] = L"Software\\TalvoAntiVirus\\Common";

bool MessageWritten() {
  DWORD size = 0;
  return RegGetValueW(HKEY_CURRENT_USER, kAgentCommon, L"Message", RRF_RT_REG_SZ, nullptr, nullptr,
                      &size) == ERROR_SUCCESS;
}

HWND FindAgentWindow() {
  HWND window = FindWindowW(nullptr, L"Talvo AntiVirus");
  return window && IsWindowVisible(window) ? window : nullptr;
}

struct AgentRun {
  double scan = -1;       // from the scan command to the closing message, seconds
  double longest = -1;    // the longest wait of the window's thread for a message, seconds
  int probes = 0;
};

// tvac.exe from WORK_DIR (so that it reads the database there), pointed at a closed
// port so that its start-up checks end at once.
AgentRun RunAgent(const std::wstring& agent, const std::wstring& work) {
  AgentRun run;
  const std::wstring copy = work + L"\\tvac.exe";
  if (!CopyFileW(agent.c_str(), copy.c_str(), FALSE)) return run;
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, kAgentCommon, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                      nullptr) != ERROR_SUCCESS) {
    return run;
  }
  const std::wstring server = L"127.0.0.1:1";
  RegSetValueExW(key, L"Server", 0, REG_SZ, reinterpret_cast<const BYTE*>(server.c_str()),
                 static_cast<DWORD>((server.size() + 1) * sizeof(wchar_t)));
  RegDeleteValueW(key, L"Message");
  RegCloseKey(key);

  std::wstring command = L"\"" + copy + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, work.c_str(),
                      &startup, &process)) {
    return run;
  }
  HWND window = nullptr;
  for (int i = 0; i < 300 && !(window = FindAgentWindow()); ++i) Sleep(100);
  if (window) {
    Sleep(3000);  // the start-up checks and reports
    const Clock::time_point start = Clock::now();
    PostMessageW(window, WM_COMMAND, ID_SCAN, 0);
    Clock::duration longest{};
    while (!MessageWritten() && Clock::now() - start < std::chrono::minutes(5)) {
      const Clock::time_point sent = Clock::now();
      DWORD_PTR ignored = 0;
      SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &ignored);
      longest = std::max(longest, Clock::now() - sent);
      ++run.probes;
      Sleep(10);
    }
    if (MessageWritten()) run.scan = Seconds(Clock::now() - start);
    run.longest = Seconds(longest);
    PostMessageW(window, WM_CLOSE, 0, 0);
  }
  if (WaitForSingleObject(process.hProcess, 10000) != WAIT_OBJECT_0) {
    TerminateProcess(process.hProcess, 1);
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  DeleteFileW(copy.c_str());
  RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\TalvoAntiVirus");
  return run;
}

std::size_t CountLines(const std::wstring& path) {
  tvac::platform::win32::Win32Files files;
  const std::string text = files.ReadAll(Narrow(path)).value_or("");
  return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

struct Round {
  double bare, read, parse, decode, signatures, traces, process, start, agent, stall;
};

// --bare WORK_DIR: the checks of WORK_DIR\checks.txt; prints "SECONDS FOUND".
int RunBare(const std::wstring& work) {
  const Workload w = ReadChecks(work + L"\\checks.txt");
  std::size_t found = 0;
  const double seconds = Time([&] { found = BareChecks(w); });
  std::printf("%.6f %zu\n", seconds, found);
  return 0;
}

// --phases WORK_DIR: the program's phases over WORK_DIR\pattern.ini; prints
// "READ PARSE DECODE SIGNATURES TRACES ROWS".
int RunPhases(const std::wstring& work) {
  tvac::platform::win32::Win32Files files;
  tvac::platform::win32::Win32Registry registry;
  const std::string path = Narrow(work + L"\\pattern.ini");
  std::optional<std::string> text;
  const double read = Time([&] { text = files.ReadAll(path); });
  tvac::platform::IniDocument document;
  const double parse = Time([&] { document = tvac::platform::IniDocument::Parse(text.value_or("")); });
  const tvac::scan::PatternDatabase database(std::move(document));
  // Every text of every entry decoded, as a scan does it.
  std::size_t decoded = 0;
  const double decode = Time([&] {
    const std::int32_t count = database.EntryCount();
    for (std::int32_t i = 1; i <= count; ++i) {
      const tvac::scan::PatternEntry entry = database.Entry(i);
      for (std::int32_t j = 1; j <= entry.file_count; ++j) decoded += database.File(i, j).path.size();
      for (std::int32_t j = 1; j <= entry.reg_count; ++j) decoded += database.Reg(i, j).subkey.size();
    }
  });
  if (decoded == 0) std::fprintf(stderr, "the database decoded to nothing\n");
  tvac::scan::ScanResultList results;
  NullDisplay display;
  std::atomic<bool> scanning{true};
  tvac::scan::ScanEnvironment env{files, registry, results, display, scanning, files.UserName()};
  const double signatures = Time([&] { tvac::scan::RunSignatureScan(database, env); });
  const std::size_t rows = results.Count();
  const double traces = Time([&] { tvac::scan::ScanTraces(env); });
  std::printf("%.6f %.6f %.6f %.6f %.6f %zu\n", read, parse, decode, signatures, traces, rows);
  return 0;
}

std::string ReadText(const std::wstring& path) {
  tvac::platform::win32::Win32Files files;
  return files.ReadAll(Narrow(path)).value_or("");
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc == 3 && std::wstring(argv[1]) == L"--bare") return RunBare(argv[2]);
  if (argc == 3 && std::wstring(argv[1]) == L"--phases") return RunPhases(argv[2]);
  if (argc < 3) {
    std::fprintf(stderr, "usage: tvac_scan_floor_bench WORK_DIR PROGRAM_DIR [ENTRIES] [ROUNDS]\n");
    return 2;
  }
  const std::wstring work = argv[1];
  const std::wstring programs = argv[2];
  const std::wstring scanner = programs + L"\\tvac-scan.exe";
  const std::wstring agent = programs + L"\\tvac.exe";
  const int entries = argc > 3 ? std::max(1, _wtoi(argv[3])) : 20000;
  const int rounds = argc > 4 ? std::max(1, _wtoi(argv[4])) : 3;
  const std::wstring database_path = work + L"\\pattern.ini";
  const std::wstring output_path = work + L"\\scan.tsv";
  const std::wstring items_root = work + L"\\machine";

  CreateDirectoryW(work.c_str(), nullptr);
  const Workload w = MakeWorkload(items_root, entries);
  if (!WriteBytes(database_path, w.database)) {
    std::fprintf(stderr, "cannot write %ls\n", database_path.c_str());
    return 1;
  }
  Plant(w);
  std::printf("database: %d entries, %zu file rules, %zu registry rules, %.1f MB\n", entries,
              w.files.size(), w.keys.size(), static_cast<double>(w.database.size()) / 1e6);

  const std::wstring checks = ChecksText(w);
  WriteBytes(work + L"\\checks.txt",
             std::string(reinterpret_cast<const char*>(checks.data()), checks.size() * sizeof(wchar_t)));
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  const std::wstring child = L"\"" + std::wstring(self) + L"\" ";
  const std::wstring child_output = work + L"\\child.txt";

  std::vector<Round> measured;
  std::size_t rows = 0, process_rows = 0, bare_found = 0;
  for (int round = 0; round < rounds; ++round) {
    Round r{};
    RunProcess(child + L"--bare \"" + work + L"\"", child_output);
    std::sscanf(ReadText(child_output).c_str(), "%lf %zu", &r.bare, &bare_found);
    RunProcess(child + L"--phases \"" + work + L"\"", child_output);
    std::sscanf(ReadText(child_output).c_str(), "%lf %lf %lf %lf %lf %zu", &r.read, &r.parse,
                &r.decode, &r.signatures, &r.traces, &rows);

    const std::wstring quoted = L"\"" + scanner + L"\"";
    r.process = Time([&] {
      RunProcess(quoted + L" --db \"" + database_path + L"\" --tsv", output_path);
    });
    process_rows = CountLines(output_path);
    r.start = Time([&] { RunProcess(quoted + L" --no-such-option", output_path); });
    const AgentRun in_agent = RunAgent(agent, work);
    r.agent = in_agent.scan;
    r.stall = in_agent.longest;
    measured.push_back(r);
    std::printf("round %d: bare %.3f s, read %.3f s, parse %.3f s, decode %.3f s, signatures "
                "%.3f s, traces %.3f s, tvac-scan.exe %.3f s, tvac.exe %.3f s (longest wait "
                "%.3f s, %d probes)\n",
                round + 1, r.bare, r.read, r.parse, r.decode, r.signatures, r.traces, r.process,
                r.agent, r.stall, in_agent.probes);
  }
  Unplant(w, items_root);
  DeleteFileW((work + L"\\checks.txt").c_str());
  DeleteFileW(child_output.c_str());

  const auto median = [&](double Round::*field) {
    std::vector<double> values;
    for (const Round& r : measured) values.push_back(r.*field);
    return Median(values);
  };
  const double bare = median(&Round::bare), process = median(&Round::process);
  std::printf("medians of %d rounds:\n", rounds);
  std::printf("  bare checks (%zu file queries, %zu key opens):  %7.3f s  (%zu found)\n",
              w.files.size(), w.keys.size(), bare, bare_found);
  std::printf("  database read (%.1f MB):                       %7.3f s\n",
              static_cast<double>(w.database.size()) / 1e6, median(&Round::read));
  std::printf("  database parsed:                                %7.3f s\n", median(&Round::parse));
  std::printf("  every entry and rule decoded:                   %7.3f s\n", median(&Round::decode));
  std::printf("  read, parsed and decoded:                       %7.3f s\n",
              median(&Round::read) + median(&Round::parse) + median(&Round::decode));
  std::printf("  signature scan (in process):                    %7.3f s  (%zu rows, %zu planted)\n",
              median(&Round::signatures), rows, w.planted_rows);
  std::printf("  trace scan (in process):                        %7.3f s\n", median(&Round::traces));
  std::printf("  process start and end (tvac-scan.exe, no work): %7.3f s\n", median(&Round::start));
  std::printf("  tvac-scan.exe --db ... --tsv, whole process:    %7.3f s  (%zu rows)\n", process,
              process_rows);
  std::printf("  tvac.exe, from the scan command to the message: %7.3f s\n", median(&Round::agent));
  std::printf("  tvac.exe, longest wait of the window's thread:  %7.3f s\n", median(&Round::stall));
  std::printf("ratio of the whole scan to the bare checks: %.2f\n", process / bare);
  return 0;
}
