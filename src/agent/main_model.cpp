#include "agent/main_model.h"

#include <cstdio>

namespace tvac::agent {

std::string CutToFieldBuffer(std::string_view text) {
  return std::string(text.substr(0, 259));
}

void MainModel::SetLastScan(std::string date) {
  std::lock_guard lock(mutex_);
  last_scan_ = std::move(date);
}

void MainModel::SetStatus(std::string text) {
  std::lock_guard lock(mutex_);
  status_ = std::move(text);
}

void MainModel::SetPercent(int percent) {
  std::lock_guard lock(mutex_);
  percent_ = percent;
}

void MainModel::SetDbInfo(std::string info) {
  std::lock_guard lock(mutex_);
  db_info_ = std::move(info);
}

std::string MainModel::LastScanLine() const {
  std::lock_guard lock(mutex_);
  return std::string(texts::kLastScanLabel) + last_scan_;
}

std::string MainModel::StatusLine() const {
  std::lock_guard lock(mutex_);
  std::string line(texts::kStatusOpen);
  line += elapsed_;
  line += texts::kStatusClose;
  line += status_;
  return line;
}

int MainModel::Percent() const {
  std::lock_guard lock(mutex_);
  return percent_;
}

std::string MainModel::PercentLine() const {
  std::lock_guard lock(mutex_);
  return std::to_string(percent_) + "%";
}

std::string MainModel::DbInfo() const {
  std::lock_guard lock(mutex_);
  return db_info_;
}

std::string MainModel::DbLine() const {
  std::lock_guard lock(mutex_);
  return std::string(texts::kDbLineLabel) + db_info_;
}

void MainModel::StartElapsed() {
  std::lock_guard lock(mutex_);
  hours_ = 0;
  minutes_ = 0;
  seconds_ = 1;
}

bool MainModel::OnElapsedTick() {
  if (!scanning) return false;
  std::lock_guard lock(mutex_);
  if (seconds_ == 60) {
    seconds_ = 0;
    ++minutes_;
  }
  if (minutes_ == 60) {
    minutes_ = 0;
    ++hours_;
  }
  char text[32];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d", hours_, minutes_, seconds_);
  elapsed_ = text;
  ++seconds_;
  return true;
}

void MainModel::ClearElapsedText() {
  std::lock_guard lock(mutex_);
  elapsed_ = "00:00:00";
}

std::string MainModel::ElapsedText() const {
  std::lock_guard lock(mutex_);
  return elapsed_;
}

}  // namespace tvac::agent
