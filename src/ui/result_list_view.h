#pragma once

#include <windows.h>

#include <commctrl.h>

#include <cstddef>

#include "agent/agent.h"
#include "ui/controls/gdi.h"

namespace tvac::ui {

// The result list control (a virtual report view): it shows the agent's rows, draws
// them striped, and hands its clicks to the agent.
class ResultListView {
 public:
  ResultListView() = default;
  ResultListView(const ResultListView&) = delete;
  ResultListView& operator=(const ResultListView&) = delete;
  ~ResultListView();

  // Takes over the dialog's list control: columns, row images and font.
  void Attach(HWND list);
  // The list's notifications; anything else gives 0.
  LRESULT OnNotify(NMHDR& header, agent::Agent& agent);
  // The rows changed: there are `count` now.
  void RowsChanged(std::size_t count);

 private:
  HWND list_ = nullptr;
  Font list_font_;
  HIMAGELIST row_images_ = nullptr;
};

}  // namespace tvac::ui
