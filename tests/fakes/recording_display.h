#pragma once

#include <string>
#include <vector>

#include "scan/scan_environment.h"

namespace tvac::fakes {

// Records what a scan shows, in order.
class RecordingDisplay : public scan::ScanDisplay {
 public:
  void SetPercent(int percent) override { percents.push_back(percent); }
  void SetStatusText(std::string text) override { statuses.push_back(std::move(text)); }
  void SetWindowsDir(std::string folder) override { windows_dir = std::move(folder); }
  void RedrawResultLine() override { ++result_line_redraws; }

  std::vector<int> percents;
  std::vector<std::string> statuses;
  std::string windows_dir;
  int result_line_redraws = 0;
};

}  // namespace tvac::fakes
