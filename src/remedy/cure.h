#pragma once

#include <atomic>
#include <cstddef>
#include <string>

#include "platform/clock.h"
#include "platform/files.h"
#include "platform/processes.h"
#include "platform/registry.h"

// The cure: removing what the checked rows of the result list name, and telling
// which rows really are gone.
namespace tvac::remedy {

struct CureEnv {
  platform::Files& files;
  platform::Registry& registry;
  platform::Processes& processes;
  platform::Shell& shell;
  platform::Clock& clock;
};

enum class RowCategory { kMalware, kTrace, kOther };

// What a result row says about what to remove.
struct CureRow {
  RowCategory category = RowCategory::kOther;
  bool checked = false;    // only checked rows are cured
  std::string location{};  // malware: the file or folder path, or the registry location text
  std::string misc1{};     // malware: the location kind; trace: the value name, or "KEY"
  std::string misc2{};     // trace: the root name, a backslash and the key path
};

enum class CureOutcome {
  kLeft,    // not the cure's to act on: not checked, or a category or kind it does not know
  kCured,   // what the row names is gone (it may have been gone already)
  kFailed,  // what the row names is still there
};

// Removes what one checked row names, then looks whether it is gone.
//   files ("파일", "윈도우", "시스템", "바탕화면", "MD5"): a module (".dll") is
//     unregistered, the program (".exe") is ended wherever it runs from that very
//     file (never services.exe or wuauclt.exe), and after half a second the file is
//     deleted, read-only or not;
//   folders ("폴더", "프로그램그룹"): DeleteFolderTree;
//   registry values and keys ("레지값", "레지키", and every trace row) under a key
//     named by its root name; a root the system does not have holds nothing.
CureOutcome CureRowItem(CureEnv& env, const CureRow& row);

// The rows as the walk sees them.
class CureRows {
 public:
  virtual ~CureRows() = default;
  virtual std::size_t Count() const = 0;
  virtual CureRow Row(std::size_t index) const = 0;
  // Takes a cured row out of the list and lowers the counters it raised.
  virtual void RemoveCured(std::size_t index) = 0;
};

struct CureTally {
  int cured = 0;
  int failed = 0;        // checked rows whose item is still there; they stay, checked
  bool stopped = false;  // `stop` was set before the last row
};

// Cures the checked rows from the first to the last. A cured row leaves the list and
// the row that moves into its place is looked at next; a row that failed stays where
// it is. When `stop` is set the walk ends before its next row, so that the row being
// cured is never left half-done.
CureTally CureCheckedRows(CureEnv& env, CureRows& rows, const std::atomic<bool>& stop);

}  // namespace tvac::remedy
