// tvac-scan.exe: runs the signature scan and the trace scan on this machine and
// prints what they found. It only reads; it never cures or changes anything.
#include <windows.h>

#include <shellapi.h>

#include <atomic>

#include "app/scan_report.h"
#include "base/texts.h"
#include "platform/path.h"
#include "platform/win32/codepage.h"
#include "platform/win32/console.h"
#include "platform/win32/files_win32.h"
#include "platform/win32/registry_win32.h"
#include "scan/signature_scan.h"
#include "scan/trace_scan.h"

namespace {

using tvac::platform::win32::Stream;
using tvac::platform::win32::WriteText;

std::atomic<bool> g_scanning{true};

// Ctrl+C stops the scan the way the stop button does; what was found is still printed.
BOOL WINAPI OnConsoleControl(DWORD) {
  g_scanning = false;
  return TRUE;
}

// Progress on stderr, one line rewritten in place.
class ConsoleDisplay : public tvac::scan::ScanDisplay {
 public:
  explicit ConsoleDisplay(bool signature) : signature_(signature) {}
  void Stage(bool signature) { signature_ = signature; }
  void SetPercent(int percent) override {
    if (percent == percent_) return;
    percent_ = percent;
    std::string line = "\r";
    line += tvac::texts::kScanProgress;
    line += signature_ ? "1/2 " : "2/2 ";
    line += std::to_string(percent);
    line += "%   ";
    WriteText(Stream::kError, line);
  }
  void SetStatusText(std::string) override {}
  void SetWindowsDir(std::string) override {}
  void RedrawResultLine() override {}
  void Finish() { WriteText(Stream::kError, "\n"); }

 private:
  bool signature_;
  int percent_ = -1;
};

std::vector<std::string> Arguments() {
  int count = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> args;
  for (int i = 1; i < count; ++i) args.push_back(tvac::platform::win32::Narrow(argv[i]));
  LocalFree(argv);
  return args;
}

}  // namespace

int main() {
  const std::optional<tvac::app::ScanOptions> options = tvac::app::ParseScanOptions(Arguments());
  if (!options) {
    WriteText(Stream::kError, std::string(tvac::texts::kScanUsage) + "\n");
    return tvac::app::kExitUsage;
  }
  SetConsoleCtrlHandler(OnConsoleControl, TRUE);

  tvac::platform::win32::Win32Files files;
  tvac::platform::win32::Win32Registry registry;
  const std::string program = files.ProgramPath();
  const std::string database_path = options->database.value_or(
      std::string(tvac::platform::ParentPath(program)) + "\\pattern.ini");

  tvac::scan::ScanResultList results;
  ConsoleDisplay display(true);
  tvac::scan::ScanEnvironment env{files, registry, results, display, g_scanning, files.UserName()};

  const tvac::scan::PatternDatabase database =
      tvac::scan::PatternDatabase::Load(files, database_path);
  if (!database.loaded()) {
    WriteText(Stream::kError, std::string(tvac::texts::kScanNoDatabase) + database_path + "\n");
  }
  tvac::scan::RunSignatureScan(database, env);
  display.Stage(false);
  tvac::scan::ScanTraces(env);
  display.Finish();

  const std::vector<tvac::scan::ScanItem> rows = results.Snapshot();
  WriteText(Stream::kOut, options->tsv ? tvac::app::FormatTsv(rows)
                                       : tvac::app::FormatTable(rows, results.GetCounters()));
  return rows.empty() ? tvac::app::kExitClean : tvac::app::kExitFound;
}
