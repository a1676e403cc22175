#include "ui/main_window.h"

#include <mmsystem.h>
#include <shellapi.h>

#include <thread>

#include "agent/startup.h"
#include "platform/path.h"
#include "platform/win32/codepage.h"
#include "res/resource_ids.h"
#include "scan/pattern_database.h"
#include "ui/popup_windows.h"
#include "ui/skin_window.h"

namespace tvac::ui {

namespace {

using base::Setting;
using platform::win32::Widen;
namespace layout = main_layout;

constexpr wchar_t kTitle[] = L"Talvo AntiVirus";
constexpr UINT kMsgTrayIcon = 28000;
constexpr UINT kMsgRowsChanged = WM_APP + 1;
constexpr UINT kMsgStartTimer = WM_APP + 2;  // wparam: the timer, lparam: its period
constexpr UINT kMsgScanFace = WM_APP + 3;    // wparam: 1 for the stop face

enum Timer : UINT_PTR {
  kElapsedTimer = 1,
  kHourlyScanTimer = 2,
  kPopupTimer = 3,
  kDbInfoTimer = 4,
};
constexpr UINT kHour = 3'600'000;

constexpr COLORREF kGrey = RGB(153, 153, 153);
constexpr COLORREF kDark = RGB(51, 51, 51);

// Name, location and kind, then the five columns that only curing reads. The
// location column leaves room for the list's border and vertical scroll bar, so
// that the three visible columns never need a horizontal one.
constexpr int kColumnWidths[scan::kColumnCount] = {168, 216, 122, 0, 0, 0, 0, 0};

// The start-up sequence reaches the window only to start a scan.
class StartupWindows : public agent::StartupHost {
 public:
  StartupWindows(agent::ScanRunContext& run, MainWindow& window) : run_(run), window_(window) {}
  void StartScan() override { agent::ToggleScan(run_, window_); }

 private:
  agent::ScanRunContext& run_;
  MainWindow& window_;
};

RECT ToRect(const Rect& r) {
  return {r.left, r.top, r.right, r.bottom};
}

void MoveTo(HWND control, const Rect& r) {
  MoveWindow(control, r.left, r.top, r.width(), r.height(), TRUE);
}

}  // namespace

MainWindow::MainWindow()
    : app_dir_(std::string(platform::ParentPath(files_.ProgramPath())) + "\\"),
      server_(settings_.Server()),
      scan_env_{files_, registry_, results_, *this, model_.scanning, files_.UserName()},
      run_{model_, scan_env_, settings_, network_, clock_, server_, app_dir_} {}

void MainWindow::Run() {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  window_ = CreateDialogParamW(instance, MAKEINTRESOURCEW(IDD_MAIN), nullptr, DialogProc,
                               reinterpret_cast<LPARAM>(this));
  if (!window_) return;
  ShowWindow(window_, SW_SHOW);
  SetForegroundWindow(window_);
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (PreTranslate(message)) continue;
    if (!IsDialogMessageW(window_, &message)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
}

bool MainWindow::PreTranslate(const MSG& message) {
  if (message.message != WM_KEYDOWN) return false;
  switch (message.wParam) {
    case VK_RETURN:
    case VK_ESCAPE:
      return true;  // the window has no default or cancel button
    case 'S':
      if (GetKeyState(VK_CONTROL) < 0) {
        agent::ToggleScan(run_, *this);
        return true;
      }
      break;
  }
  return false;
}

INT_PTR CALLBACK MainWindow::DialogProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_INITDIALOG) {
    auto* self = reinterpret_cast<MainWindow*>(lparam);
    SetWindowLongPtrW(window, DWLP_USER, lparam);
    self->window_ = window;
    self->OnInitDialog();
    return TRUE;
  }
  auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(window, DWLP_USER));
  return self ? self->OnMessage(message, wparam, lparam) : FALSE;
}

INT_PTR MainWindow::OnMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_ERASEBKGND:
      Paint(reinterpret_cast<HDC>(wparam));
      SetWindowLongPtrW(window_, DWLP_MSGRESULT, 1);
      return TRUE;
    case WM_PAINT:
      if (!IsIconic(window_)) return FALSE;
      PaintIcon();
      return TRUE;
    case WM_QUERYDRAGICON:
      SetWindowLongPtrW(window_, DWLP_MSGRESULT, reinterpret_cast<LONG_PTR>(icon_));
      return TRUE;
    case WM_LBUTTONDOWN:
      OnLeftButtonDown(ClientPoint(lparam));
      return TRUE;
    case WM_SETCURSOR: {
      POINT p;
      GetCursorPos(&p);
      ScreenToClient(window_, &p);
      if (reinterpret_cast<HWND>(wparam) != window_) return FALSE;
      ShowPointer(HitTestMain(p.x, p.y) != MainSpot::kElsewhere);
      SetWindowLongPtrW(window_, DWLP_MSGRESULT, TRUE);
      return TRUE;
    }
    case WM_DRAWITEM: {
      const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lparam);
      for (CRinsButton* button : {&menu_button_, &scan_button_, &cure_button_}) {
        if (item.hwndItem == button->window()) button->Draw(item);
      }
      return TRUE;
    }
    case WM_COMMAND:
      switch (LOWORD(wparam)) {
        case IDC_SCAN:
          agent::ToggleScan(run_, *this);
          return TRUE;
        case IDCANCEL:
          // Escape never gets here; this is the close command or a second instance.
          DestroyWindow(window_);
          return TRUE;
      }
      return FALSE;
    case WM_NOTIFY: {
      const LRESULT result = OnNotify(*reinterpret_cast<NMHDR*>(lparam));
      SetWindowLongPtrW(window_, DWLP_MSGRESULT, result);
      return TRUE;
    }
    case WM_TIMER:
      OnTimer(wparam);
      return TRUE;
    case WM_CLOSE:
      DestroyWindow(window_);
      return TRUE;
    case WM_DESTROY:
      OnDestroy();
      return TRUE;
    case kMsgTrayIcon:
      OnTrayIcon(lparam);
      return TRUE;
    case kMsgRowsChanged:
      OnRowsChanged();
      return TRUE;
    case kMsgStartTimer:
      SetTimer(window_, wparam, static_cast<UINT>(lparam), nullptr);
      return TRUE;
    case kMsgScanFace: {
      const int face = wparam ? IDB_STOP : IDB_SCAN;
      scan_button_.SetBitmaps(face, face, face);
      return TRUE;
    }
  }
  return FALSE;
}

void MainWindow::OnInitDialog() {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  icon_ = LoadIconW(instance, MAKEINTRESOURCEW(IDI_APP));
  SendMessageW(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
  SendMessageW(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon_));

  // Skin and layout.
  background_ = LoadSkinBitmap(IDB_MAIN);
  menu_button_.Attach(GetDlgItem(window_, IDC_MENU));
  progress_.Attach(GetDlgItem(window_, IDC_PROGRESS));
  scan_button_.Attach(GetDlgItem(window_, IDC_SCAN));
  cure_button_.Attach(GetDlgItem(window_, IDC_CURE));
  menu_button_.SetBitmaps(IDB_MENU, IDB_MENU, IDB_MENU);
  progress_.SetBitmaps(IDB_BAR_FILL, IDB_BAR_FILL, IDB_BAR_GROOVE, IDB_BAR_FILL);
  scan_button_.SetBitmaps(IDB_SCAN, IDB_SCAN, IDB_SCAN);
  cure_button_.SetBitmaps(IDB_CURE, IDB_CURE, IDB_CURE);
  menu_button_.SetBounds(layout::kMenuButton);
  MoveTo(menu_button_.window(), layout::kMenuButton);
  progress_.SetBounds(layout::kProgressBar);
  scan_button_.SetBounds(layout::kScanButton);
  MoveTo(scan_button_.window(), layout::kScanButton);
  cure_button_.SetBounds(layout::kCureButton);
  MoveTo(cure_button_.window(), layout::kCureButton);
  list_ = GetDlgItem(window_, IDC_RESULT_LIST);
  MoveTo(list_, layout::kResultList);
  SetUpResultList();

  // Tray icon and title.
  NOTIFYICONDATAW tray{};
  tray.cbSize = sizeof tray;
  tray.hWnd = window_;
  tray.uID = IDI_APP;
  tray.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  tray.uCallbackMessage = kMsgTrayIcon;
  tray.hIcon = icon_;
  wcsncpy(tray.szTip, Widen(texts::kTrayTip).c_str(), ARRAYSIZE(tray.szTip) - 1);
  Shell_NotifyIconW(NIM_ADD, &tray);
  SetWindowLongPtrW(window_, GWL_STYLE,
                    GetWindowLongPtrW(window_, GWL_STYLE) | WS_SYSMENU | WS_MINIMIZEBOX);
  SetWindowTextW(window_, kTitle);
  PlaceInWorkAreaCentre(window_, layout::kWindow);
  model_.online = network_.Online();

  // What the program does at every start.
  update::UpdateEnv update_env{files_,    network_, clock_,  shell_,
                               settings_, app_dir_, server_, scan::IsUsableDatabase};
  StartupWindows startup_windows(run_, *this);
  agent::StartupState state;
  agent::RunStartup(update_env, startup_windows, model_.online, state);
  model_.SetLastScan(state.last_scan);
  model_.SetDbInfo(state.db_info);
  model_.run_at_start = state.run_at_start;
}

void MainWindow::SetUpResultList() {
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
  results_.SetListener([this] { PostMessageW(window_, kMsgRowsChanged, 0, 0); });
}

void MainWindow::Paint(HDC dc) {
  const Rect& size = layout::kWindow;
  Bitmap canvas(CreateCompatibleBitmap(dc, size.width(), size.height()));
  MemoryDc memory(dc, canvas.get());
  Blit(memory.get(), 0, 0, size.width(), size.height(), background_.get());
  Font font = CreateSkinFont();
  memory.Select(font.get());
  DrawSkinText(memory.get(), model_.LastScanLine(), ToRect(layout::kLastScanLine), kGrey);
  DrawSkinText(memory.get(), model_.StatusLine(), ToRect(layout::kStatusLine), kDark);
  DrawSkinText(memory.get(), model_.PercentLine(), ToRect(layout::kPercent), kGrey);
  DrawSkinText(memory.get(), scan::ResultLine(results_.GetCounters()), ToRect(layout::kResultLine),
               kDark);
  DrawSkinText(memory.get(), model_.DbLine(), ToRect(layout::kDbLine), kGrey);
  BitBlt(dc, 0, 0, size.width(), size.height(), memory.get(), 0, 0, SRCCOPY);
}

void MainWindow::PaintIcon() {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window_, &paint);
  SendMessageW(window_, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  RECT client;
  GetClientRect(window_, &client);
  const int x = (client.right - GetSystemMetrics(SM_CXICON) + 1) / 2;
  const int y = (client.bottom - GetSystemMetrics(SM_CYICON) + 1) / 2;
  DrawIcon(dc, x, y, icon_);
  EndPaint(window_, &paint);
}

void MainWindow::OnLeftButtonDown(POINT point) {
  switch (HitTestMain(point.x, point.y)) {
    case MainSpot::kHide:
      ShowWindow(window_, SW_HIDE);
      settings_.WriteFlag(Setting::kTray, true);
      if (settings_.IsOn(Setting::kAgent)) SetTimer(window_, kHourlyScanTimer, kHour, nullptr);
      break;
    case MainSpot::kMinimise:
      ShowWindow(window_, SW_MINIMIZE);
      break;
    case MainSpot::kElsewhere:
      StartDrag(window_);
      break;
  }
}

void MainWindow::OnTimer(UINT_PTR id) {
  switch (id) {
    case kElapsedTimer:
      if (!model_.OnElapsedTick()) KillTimer(window_, kElapsedTimer);
      break;
    case kHourlyScanTimer:
      agent::ToggleScan(run_, *this);
      break;
    case kPopupTimer:
      // The notifier popup arrives with the tray commands; until then the message
      // window tells what the background scan found.
      KillTimer(window_, kPopupTimer);
      std::thread([this] { ShowMessageWindow(settings_); }).detach();
      break;
    case kDbInfoTimer:
      KillTimer(window_, kDbInfoTimer);
      model_.SetDbInfo(scan::PatternDatabase::Load(files_, app_dir_ + "pattern.ini").DbInfo());
      Repaint(layout::kDbLine);
      break;
  }
}

void MainWindow::ShowFromTray() {
  ShowWindow(window_, SW_SHOWNORMAL);
  SetForegroundWindow(window_);
  BringWindowToTop(window_);
  settings_.WriteFlag(Setting::kTray, false);
  KillTimer(window_, kHourlyScanTimer);
}

void MainWindow::OnTrayIcon(LPARAM event) {
  if (event == WM_LBUTTONDOWN) ShowFromTray();
}

LRESULT MainWindow::OnNotify(NMHDR& header) {
  if (header.hwndFrom != list_) return 0;
  switch (header.code) {
    case LVN_GETDISPINFOW: {
      LVITEMW& item = reinterpret_cast<NMLVDISPINFOW&>(header).item;
      const auto row = static_cast<std::size_t>(item.iItem);
      if (item.mask & LVIF_TEXT && item.cchTextMax > 0) {
        const std::wstring text =
            Widen(results_.Field(row, static_cast<scan::Column>(item.iSubItem)));
        lstrcpynW(item.pszText, text.c_str(), item.cchTextMax);
      }
      if (item.mask & LVIF_IMAGE) {
        item.iImage = results_.Field(row, scan::Column::kCheckState) == scan::kUnchecked ? 1 : 0;
      }
      return 0;
    }
    case NM_CUSTOMDRAW:
      return SkinListCustomDraw(reinterpret_cast<NMLVCUSTOMDRAW&>(header));
  }
  return 0;
}

void MainWindow::OnRowsChanged() {
  ListView_SetItemCountEx(list_, static_cast<int>(results_.Count()), LVSICF_NOSCROLL);
  InvalidateRect(list_, nullptr, FALSE);
}

void MainWindow::OnDestroy() {
  model_.scanning = false;
  settings_.WriteFlag(Setting::kTray, false);
  NOTIFYICONDATAW tray{};
  tray.cbSize = sizeof tray;
  tray.hWnd = window_;
  tray.uID = IDI_APP;
  Shell_NotifyIconW(NIM_DELETE, &tray);
  results_.SetListener(nullptr);
  PostQuitMessage(0);
}

void MainWindow::Repaint(const Rect& area) {
  const RECT r = ToRect(area);
  InvalidateRect(window_, &r, TRUE);
}

// Called by the scan worker.

void MainWindow::ShowScanFace(bool stop) {
  // The faces belong to the window's thread, which may be drawing the old one.
  PostMessageW(window_, kMsgScanFace, stop ? 1 : 0, 0);
}

void MainWindow::StartElapsedTimer() {
  PostMessageW(window_, kMsgStartTimer, kElapsedTimer, 1000);
}

void MainWindow::RepaintLastScan() {
  Repaint(layout::kLastScanLine);
}
void MainWindow::RepaintStatus() {
  Repaint(layout::kStatusLine);
}
void MainWindow::RepaintResultLine() {
  Repaint(layout::kResultLine);
}

void MainWindow::PlayWave(std::string_view path) {
  PlaySoundW(Widen(path).c_str(), nullptr, SND_ASYNC | SND_FILENAME);
}

void MainWindow::ShowMessage() {
  ShowMessageWindow(settings_);
}

void MainWindow::StartPopupTimer() {
  PostMessageW(window_, kMsgStartTimer, kPopupTimer, 1000);
}

void MainWindow::StartRemedy() {
  // Until the cure run is part of the program, automatic cure ends like a scan
  // without it: the rows stay checked in the list and the count is told.
  settings_.Write(Setting::kMessage, agent::FoundMessage(results_.Count()));
  ShowMessageWindow(settings_);
}

bool MainWindow::StartWorker() {
  try {
    std::thread([this] { agent::RunScan(run_, *this); }).detach();
    return true;
  } catch (const std::system_error&) {
    return false;
  }
}

void MainWindow::CancelMainWindow() {
  PostMessageW(window_, WM_COMMAND, IDCANCEL, 0);
}

void MainWindow::SetPercent(int percent) {
  model_.SetPercent(percent);
  progress_.SetPercent(percent);
  Repaint(layout::kPercent);
}

void MainWindow::SetStatusText(std::string text) {
  model_.SetStatus(std::move(text));
  Repaint(layout::kStatusLine);
}

void MainWindow::SetWindowsDir(std::string) {}

}  // namespace tvac::ui
