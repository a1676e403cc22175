#include "scan/scan_result_list.h"

#include <limits>

#include "base/texts.h"
#include "platform/text.h"

namespace tvac::scan {
namespace {

// Counters never wrap: past the largest 32-bit value they stay there, and they never
// go below 0.
void Raise(std::int32_t& counter) {
  if (counter < std::numeric_limits<std::int32_t>::max()) ++counter;
}
void Lower(std::int32_t& counter) {
  if (counter > 0) --counter;
}

// The group counter of a trace catalogue number; nullptr for numbers outside 1 to 22.
std::int32_t* TraceGroup(Counters& counters, int number) {
  if (number >= 1 && number <= 12) return &counters.search_doc;
  if (number >= 13 && number <= 18) return &counters.media;
  if (number == 19) return &counters.internet;
  if (number >= 20 && number <= 22) return &counters.other;
  return nullptr;
}

}  // namespace

void ScanResultList::SetListener(Listener listener) {
  std::lock_guard lock(mutex_);
  listener_ = std::move(listener);
}

void ScanResultList::Changed() {
  Listener listener;
  {
    std::lock_guard lock(mutex_);
    listener = listener_;
  }
  if (listener) listener();
}

void ScanResultList::Clear() {
  {
    std::lock_guard lock(mutex_);
    rows_.clear();
    counters_ = {};
  }
  Changed();
}

void ScanResultList::InsertSignatureHit(std::string name, std::string location, std::string kind,
                                        std::string misc1) {
  ScanItem item;
  item[Column::kName] = std::move(name);
  item[Column::kLocation] = std::move(location);
  item[Column::kKind] = std::move(kind);
  item[Column::kMisc1] = std::move(misc1);
  item[Column::kCategory] = kCategoryMalware;
  item[Column::kCheckState] = kChecked;
  {
    std::lock_guard lock(mutex_);
    rows_.insert(rows_.begin(), std::move(item));
    Raise(counters_.malware);
  }
  Changed();
}

void ScanResultList::AppendTraceHit(std::string name, std::string label, std::string value_name,
                                    std::string key_path, int number) {
  ScanItem item;
  item[Column::kName] = std::move(name);
  item[Column::kLocation] = std::move(label);
  item[Column::kKind] = texts::kRegistry;
  item[Column::kMisc1] = std::move(value_name);
  item[Column::kMisc2] = std::move(key_path);
  item[Column::kCategory] = kCategoryRegistry;
  item[Column::kCheckState] = kChecked;
  item[Column::kNumber] = std::to_string(number);
  {
    std::lock_guard lock(mutex_);
    rows_.push_back(std::move(item));
    Raise(counters_.trace);
    if (std::int32_t* group = TraceGroup(counters_, number)) Raise(*group);
  }
  Changed();
}

void ScanResultList::Remove(std::size_t index) {
  {
    std::lock_guard lock(mutex_);
    if (index >= rows_.size()) return;
    rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(index));
  }
  Changed();
}

void ScanResultList::RemoveCured(std::size_t index) {
  {
    std::lock_guard lock(mutex_);
    if (index >= rows_.size()) return;
    const ScanItem& row = rows_[index];
    if (row[Column::kCategory] == kCategoryMalware) {
      Lower(counters_.malware);
    } else if (row[Column::kCategory] == kCategoryRegistry) {
      Lower(counters_.trace);
      const int number = platform::LeadingNumber(row[Column::kNumber]);
      if (std::int32_t* group = TraceGroup(counters_, number)) Lower(*group);
    }
    rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(index));
  }
  Changed();
}

void ScanResultList::ToggleCheck(std::size_t index) {
  {
    std::lock_guard lock(mutex_);
    if (index >= rows_.size()) return;
    std::string& state = rows_[index][Column::kCheckState];
    if (state == kChecked || state.empty()) {
      state = kUnchecked;
    } else if (state == kUnchecked) {
      state = kChecked;
    } else {
      return;
    }
  }
  Changed();
}

void ScanResultList::SetAllCheckStates(std::string_view state) {
  {
    std::lock_guard lock(mutex_);
    for (ScanItem& row : rows_) row[Column::kCheckState] = state;
  }
  Changed();
}

void ScanResultList::SetCheckState(std::size_t index, std::string_view state) {
  {
    std::lock_guard lock(mutex_);
    if (index >= rows_.size()) return;
    rows_[index][Column::kCheckState] = state;
  }
  Changed();
}

std::size_t ScanResultList::Count() const {
  std::lock_guard lock(mutex_);
  return rows_.size();
}

std::string ScanResultList::Field(std::size_t index, Column column) const {
  std::lock_guard lock(mutex_);
  if (index >= rows_.size()) return {};
  return rows_[index][column];
}

std::optional<ScanItem> ScanResultList::Row(std::size_t index) const {
  std::lock_guard lock(mutex_);
  if (index >= rows_.size()) return std::nullopt;
  return rows_[index];
}

Counters ScanResultList::GetCounters() const {
  std::lock_guard lock(mutex_);
  return counters_;
}

std::vector<ScanItem> ScanResultList::Snapshot() const {
  std::lock_guard lock(mutex_);
  return rows_;
}

std::string ResultLine(const Counters& c) {
  std::string line(texts::kResultMalware);
  line += std::to_string(c.malware);
  line += texts::kResultSearchDoc;
  line += std::to_string(c.search_doc);
  line += texts::kResultMedia;
  line += std::to_string(c.media);
  line += texts::kResultInternet;
  line += std::to_string(c.internet);
  line += texts::kResultOther;
  line += std::to_string(c.other);
  line += ')';
  return line;
}

}  // namespace tvac::scan
