#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "agent/main_model.h"
#include "base/settings.h"
#include "platform/clock.h"
#include "platform/network.h"
#include "scan/scan_environment.h"

// One scan of the machine, from the scan command to the notice of what was found.
namespace tvac::agent {

// What a scan run needs from the main window. ToggleScan calls on the user-interface
// thread; everything else is called by RunScan on the scan worker.
class ScanRunHost {
 public:
  virtual ~ScanRunHost() = default;
  // The scan button's face: "stop" while a run is in progress, "scan" otherwise.
  virtual void ShowScanFace(bool stop) = 0;
  virtual void StartElapsedTimer() = 0;
  virtual void RepaintLastScan() = 0;
  virtual void RepaintStatus() = 0;
  virtual void RepaintResultLine() = 0;
  virtual void PlayWave(std::string_view path) = 0;
  // The message window, modal on the calling thread; it shows `Message`.
  virtual void ShowMessage() = 0;
  // Opens the notifier popup a second from now, on the user-interface thread.
  virtual void StartPopupTimer() = 0;
  virtual void StartRemedy() = 0;
  // Starts a worker thread that calls RunScan; false when none could be started.
  virtual bool StartWorker() = 0;
  // Ends the main window, and so the program.
  virtual void CancelMainWindow() = 0;
};

struct ScanRunContext {
  MainModel& model;
  scan::ScanEnvironment& env;  // its `scanning` is model.scanning
  base::Settings& settings;
  platform::Network& network;
  platform::Clock& clock;
  std::string server;
  std::string app_dir;  // with its trailing backslash
};

// "YYYY.MM.DD".
std::string FormatScanDate(const platform::LocalDate& date);

enum class ScanEnding {
  kPopup,         // hidden in the tray, rows found: sound, then the notifier popup
  kQuiet,         // hidden in the tray, nothing found
  kNothingFound,  // the message that nothing was found
  kRemedy,        // automatic cure of the checked rows
  kFound,         // sound, then the message with the count
};
ScanEnding DecideEnding(bool in_tray, std::size_t rows, bool auto_remedy);

// "검사결과 총 " + rows + "개의 항목이 발견 되었습니다.": the count told at the end.
std::string FoundMessage(std::size_t rows);

// The scan command: stops a running scan, or starts a new run on a worker. While a
// cure works on the list it says so and starts nothing.
void ToggleScan(ScanRunContext& run, ScanRunHost& host);

// The worker's whole run: both scans, then the ending that DecideEnding chooses. The
// scan command has set `scanning` before the worker starts.
void RunScan(ScanRunContext& run, ScanRunHost& host);

}  // namespace tvac::agent
