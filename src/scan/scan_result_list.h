#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tvac::scan {

// The columns of a row, in display order. The first three are visible; the rest
// carry what curing needs.
enum class Column : std::size_t {
  kName = 0,
  kLocation,
  kKind,
  kMisc1,
  kMisc2,
  kCategory,
  kCheckState,
  kNumber,
};
inline constexpr std::size_t kColumnCount = 8;

inline constexpr std::string_view kCategoryMalware = "MALWARE";
inline constexpr std::string_view kCategoryRegistry = "REGISTRY";
inline constexpr std::string_view kChecked = "CHECK";
inline constexpr std::string_view kUnchecked = "EMPTY";

// One finding: eight texts in column order.
struct ScanItem {
  std::array<std::string, kColumnCount> fields;
  const std::string& operator[](Column c) const { return fields[static_cast<std::size_t>(c)]; }
  std::string& operator[](Column c) { return fields[static_cast<std::size_t>(c)]; }
};

struct Counters {
  std::int32_t malware = 0;
  std::int32_t trace = 0;
  std::int32_t search_doc = 0;  // trace entries 1 to 12
  std::int32_t media = 0;       // 13 to 18
  std::int32_t internet = 0;    // 19
  std::int32_t other = 0;       // 20 to 22
};

// The rows of the result list and their counters. A worker adds and removes rows
// while the user-interface thread reads them: one lock keeps rows and counters
// consistent with each other. After every change the listener is told, outside the
// lock, so that the view can redraw.
class ScanResultList {
 public:
  using Listener = std::function<void()>;

  void SetListener(Listener listener);

  // Removes every row and sets the counters to 0.
  void Clear();
  // A signature hit goes to the top: the most recent first.
  void InsertSignatureHit(std::string name, std::string location, std::string kind,
                          std::string misc1);
  // A trace goes to the bottom and counts in the group its catalogue number selects.
  void AppendTraceHit(std::string name, std::string label, std::string value_name,
                      std::string key_path, int number);
  // Removes one row; counters stay.
  void Remove(std::size_t index);
  // Removes a cured row and lowers the counters its adding raised.
  void RemoveCured(std::size_t index);
  void SetCheckState(std::size_t index, std::string_view state);
  // A click on a row: "CHECK" or empty becomes "EMPTY", "EMPTY" becomes "CHECK",
  // any other text stays.
  void ToggleCheck(std::size_t index);
  // Every row's mark at once.
  void SetAllCheckStates(std::string_view state);

  std::size_t Count() const;
  // The text of one field; empty beyond the last row.
  std::string Field(std::size_t index, Column column) const;
  // One row whole; nullopt beyond the last.
  std::optional<ScanItem> Row(std::size_t index) const;
  Counters GetCounters() const;
  std::vector<ScanItem> Snapshot() const;

 private:
  void Changed();

  mutable std::mutex mutex_;
  std::vector<ScanItem> rows_;
  Counters counters_;
  Listener listener_;
};

// The main window's result line for these counters.
std::string ResultLine(const Counters& counters);

}  // namespace tvac::scan
