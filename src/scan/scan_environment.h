#pragma once

#include <atomic>
#include <string>

#include "platform/files.h"
#include "platform/registry.h"
#include "scan/scan_result_list.h"

namespace tvac::scan {

// Where a scan shows its progress: the main window, a console, or a test's recorder.
// Each call is followed by a redraw of what it changed.
class ScanDisplay {
 public:
  virtual ~ScanDisplay() = default;
  virtual void SetPercent(int percent) = 0;  // the progress bar and the percent text
  virtual void SetStatusText(std::string text) = 0;
  virtual void SetWindowsDir(std::string folder) = 0;
  virtual void RedrawResultLine() = 0;
};

// What the scans work with. `scanning` is cleared by whoever stops the scan.
struct ScanEnvironment {
  platform::Files& files;
  platform::Registry& registry;
  ScanResultList& results;
  ScanDisplay& display;
  const std::atomic<bool>& scanning;
  std::string user_name;
};

}  // namespace tvac::scan
