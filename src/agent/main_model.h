#pragma once

#include <atomic>
#include <mutex>
#include <string>

#include "base/texts.h"

// The main window's state: what it paints and what its commands consult. Workers
// write the texts while the user-interface thread paints them; each text is
// replaced whole under one lock, and the flags are atomic.
namespace tvac::agent {

// A row's text as a 260-byte buffer holds it: the first 259 bytes.
std::string CutToFieldBuffer(std::string_view text);

class MainModel {
 public:
  std::atomic<bool> scanning{false};
  std::atomic<bool> curing{false};    // a cure works on the list
  std::atomic<bool> ending{false};    // the program is ending: a cure stops after its row
  std::atomic<bool> updating{false};  // an update download is under way
  std::atomic<bool> online{false};
  std::atomic<bool> run_at_start{false};
  std::atomic<int> current_row{0};

  void SetLastScan(std::string date);
  void SetStatus(std::string text);
  void SetPercent(int percent);
  void SetDbInfo(std::string info);

  std::string DbInfo() const;
  int Percent() const;

  // The painted lines.
  std::string LastScanLine() const;  // "마지막 검사일 : " + date
  std::string StatusLine() const;    // "검사대상(" + elapsed + ") : " + status
  std::string PercentLine() const;   // percent + "%"
  std::string DbLine() const;        // "마지막 DB 업데이트 : " + info

  // Elapsed time of a scan. Each run starts the count at 0:00:01 for its first tick;
  // a tick while no scan runs changes nothing and asks for the timer to stop.
  void StartElapsed();
  bool OnElapsedTick();
  void ClearElapsedText();
  std::string ElapsedText() const;

 private:
  mutable std::mutex mutex_;
  std::string last_scan_ = "0000.00.00";
  std::string status_{texts::kStatusInitial};
  std::string elapsed_ = "00:00:00";
  int percent_ = 0;
  std::string db_info_;
  int hours_ = 0;
  int minutes_ = 0;
  int seconds_ = 1;
};

}  // namespace tvac::agent
