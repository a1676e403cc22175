#include "ui/result_list_view.h"

#include <string>

#include "platform/win32/codepage.h"
#include "res/resource_ids.h"
#include "ui/controls/rins_button.h"

namespace tvac::ui {
namespace {

using platform::win32::Widen;

// Name, location and kind, then the five columns that only curing reads. The
// location column leaves room for the list's border and vertical scroll bar, so
// that the three visible columns never need a horizontal one.
constexpr int kColumnWidths[scan::kColumnCount] = {168, 216, 122, 0, 0, 0, 0, 0};

}  // namespace

ResultListView::~ResultListView() {
  if (row_images_) ImageList_Destroy(row_images_);
}

void ResultListView::Attach(HWND list) {
  list_ = list;
  row_images_ = ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 0, 2);
  HINSTANCE instance = GetModuleHandleW(nullptr);
  for (const int id : {IDI_ROW_CHECKED, IDI_ROW_UNCHECKED, IDI_ROW_THIRD}) {
    HICON row_icon = static_cast<HICON>(
        LoadImageW(instance, MAKEINTRESOURCEW(id), IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR));
    ImageList_ReplaceIcon(row_images_, -1, row_icon);
    DestroyIcon(row_icon);
  }
  // The dialog's own font has no Hangul where "굴림" is missing; the rows use the
  // skin's face, which does.
  list_font_ = CreateSkinFont();
  SendMessageW(list_, WM_SETFONT, reinterpret_cast<WPARAM>(list_font_.get()), FALSE);
  ListView_SetImageList(list_, row_images_, LVSIL_SMALL);
  ListView_SetExtendedListViewStyle(list_, LVS_EX_FULLROWSELECT);
  ListView_SetCallbackMask(list_, LVIS_FOCUSED);
  for (int i = 0; i < static_cast<int>(scan::kColumnCount); ++i) {
    LVCOLUMNW column{};
    column.mask = LVCF_WIDTH | LVCF_SUBITEM;
    column.cx = kColumnWidths[i];
    column.iSubItem = i;
    ListView_InsertColumn(list_, i, &column);
  }
}

LRESULT ResultListView::OnNotify(NMHDR& header, agent::Agent& agent) {
  if (header.hwndFrom != list_) return 0;
  switch (header.code) {
    case LVN_GETDISPINFOW: {
      LVITEMW& item = reinterpret_cast<NMLVDISPINFOW&>(header).item;
      const auto row = static_cast<std::size_t>(item.iItem);
      const scan::ScanResultList& results = agent.results();
      if (item.mask & LVIF_TEXT && item.cchTextMax > 0) {
        const std::wstring text =
            Widen(results.Field(row, static_cast<scan::Column>(item.iSubItem)));
        lstrcpynW(item.pszText, text.c_str(), item.cchTextMax);
      }
      if (item.mask & LVIF_IMAGE) {
        item.iImage = results.Field(row, scan::Column::kCheckState) == scan::kUnchecked ? 1 : 0;
      }
      return 0;
    }
    case NM_CLICK:
      agent.ListClick(reinterpret_cast<NMITEMACTIVATE&>(header).iItem);
      return 0;
    case NM_DBLCLK:
      agent.ListDoubleClick(reinterpret_cast<NMITEMACTIVATE&>(header).iItem);
      return 0;
    case NM_RCLICK:
      agent.ListRightClick(reinterpret_cast<NMITEMACTIVATE&>(header).iItem);
      return 0;
    case NM_CUSTOMDRAW:
      return SkinListCustomDraw(reinterpret_cast<NMLVCUSTOMDRAW&>(header));
  }
  return 0;
}

void ResultListView::RowsChanged(std::size_t count) {
  ListView_SetItemCountEx(list_, static_cast<int>(count), LVSICF_NOSCROLL);
  InvalidateRect(list_, nullptr, FALSE);
}

}  // namespace tvac::ui
