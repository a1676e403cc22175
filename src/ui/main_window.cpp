#include "ui/main_window.h"

#include "platform/win32/codepage.h"
#include "res/resource_ids.h"
#include "ui/dialogs.h"
#include "ui/main_window_ids.h"
#include "ui/popup_windows.h"
#include "ui/skin_window.h"

namespace tvac::ui {

namespace {

using namespace main_window;
using platform::win32::Widen;
namespace layout = main_layout;

constexpr COLORREF kGrey = RGB(153, 153, 153);
constexpr COLORREF kDark = RGB(51, 51, 51);

RECT ToRect(const Rect& r) {
  return {r.left, r.top, r.right, r.bottom};
}

void MoveTo(HWND control, const Rect& r) {
  MoveWindow(control, r.left, r.top, r.width(), r.height(), TRUE);
}

}  // namespace

MainWindow::MainWindow()
    : agent_({files_, registry_, processes_, shell_, network_, clock_}, *this) {}

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
  // Every key of the window, wherever the focus is, before the dialog sees it. Ctrl
  // as it was when the key came: a quick Ctrl+S may have let go of Ctrl by now.
  return agent_.Key(static_cast<int>(message.wParam), GetKeyState(VK_CONTROL) < 0);
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
    case WM_RBUTTONDOWN:
      agent_.Command(IDC_MENU);
      return FALSE;  // the dialog's own handling follows
    case WM_HELP:
      agent_.Command(ID_ABOUT);
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
      if (LOWORD(wparam) == IDCANCEL) {
        // Escape never gets here; this is the close or exit command.
        DestroyWindow(window_);
      } else if (HIWORD(wparam) == 0 || HIWORD(wparam) == BN_CLICKED) {
        agent_.Command(LOWORD(wparam));
      }
      return TRUE;
    case WM_NOTIFY: {
      const LRESULT result = result_list_.OnNotify(*reinterpret_cast<NMHDR*>(lparam), agent_);
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
      agent_.TrayIcon(static_cast<unsigned>(wparam), static_cast<unsigned>(lparam));
      SetWindowLongPtrW(window_, DWLP_MSGRESULT, 0);
      return TRUE;
    case kMsgRowsChanged:
      result_list_.RowsChanged(agent_.results().Count());
      return TRUE;
    case kMsgStartTimer:
      SetTimer(window_, wparam, static_cast<UINT>(lparam), nullptr);
      return TRUE;
    case kMsgRepaint:
      PaintChanges();
      return TRUE;
    case kMsgStartUp:
      agent_.WindowShown();
      return TRUE;
    case kMsgScanFace: {
      const int face = wparam ? IDB_STOP : IDB_SCAN;
      scan_button_.SetBitmaps(face, face, face);
      return TRUE;
    }
  }
  return tray_icon_.OnMessage(message) ? TRUE : FALSE;
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
  HWND list = GetDlgItem(window_, IDC_RESULT_LIST);
  MoveTo(list, layout::kResultList);
  result_list_.Attach(list);
  agent_.results().SetListener([this] { PostMessageW(window_, kMsgRowsChanged, 0, 0); });

  // Tray icon and title.
  tray_icon_.Add(window_, icon_, kMsgTrayIcon, texts::kTrayTip);
  SetWindowLongPtrW(window_, GWL_STYLE,
                    GetWindowLongPtrW(window_, GWL_STYLE) | WS_SYSMENU | WS_MINIMIZEBOX);
  SetWindowTextW(window_, kTitle);
  PlaceInWorkAreaCentre(window_, layout::kWindow);
  agent_.Start();
  PostMessageW(window_, kMsgStartUp, 0, 0);
}

void MainWindow::Paint(HDC dc) {
  // Only what needs it: during a scan that is a line or two, many times a second.
  RECT clip;
  if (GetClipBox(dc, &clip) == NULLREGION) return;
  const int width = clip.right - clip.left, height = clip.bottom - clip.top;
  Bitmap canvas(CreateCompatibleBitmap(dc, width, height));
  MemoryDc memory(dc, canvas.get());
  SetViewportOrgEx(memory.get(), -clip.left, -clip.top, nullptr);
  {
    MemoryDc source(dc, background_.get());
    BitBlt(memory.get(), clip.left, clip.top, width, height, source.get(), clip.left, clip.top,
           SRCCOPY);
  }
  Font font = CreateSkinFont();
  memory.Select(font.get());
  const agent::MainModel& model = agent_.model();
  const auto draw = [&](const Rect& where, const std::string& text, COLORREF colour) {
    const RECT r = ToRect(where);
    RECT overlap;
    if (IntersectRect(&overlap, &r, &clip)) DrawSkinText(memory.get(), text, r, colour);
  };
  draw(layout::kLastScanLine, model.LastScanLine(), kGrey);
  draw(layout::kStatusLine, model.StatusLine(), kDark);
  draw(layout::kPercent, model.PercentLine(), kGrey);
  draw(layout::kResultLine, scan::ResultLine(agent_.results().GetCounters()), kDark);
  draw(layout::kDbLine, model.DbLine(), kGrey);
  BitBlt(dc, clip.left, clip.top, width, height, memory.get(), clip.left, clip.top, SRCCOPY);
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
      agent_.HiddenThroughSpot();
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
    case kRepaintTimer:
      PaintChanges();
      break;
    case kElapsedTimer:
      if (!agent_.model().OnElapsedTick()) KillTimer(window_, kElapsedTimer);
      break;
    case kHourlyScanTimer:
      agent_.Command(ID_SCAN);
      break;
    case kPopupTimer:
      KillTimer(window_, kPopupTimer);
      OpenNotifierPopup(agent_, network_);
      break;
    case kDbInfoTimer:
      KillTimer(window_, kDbInfoTimer);
      agent_.ReloadDbInfo();
      Repaint(layout::kDbLine);
      break;
  }
}

void MainWindow::OnDestroy() {
  agent_.End();
  tray_icon_.Remove();
  agent_.results().SetListener(nullptr);
  PostQuitMessage(0);
}

void MainWindow::Repaint(const Rect& area) {
  const RECT r = ToRect(area);
  InvalidateRect(window_, &r, TRUE);
}

void MainWindow::Changed(unsigned areas) {
  if (changes_.Mark(areas)) PostMessageW(window_, kMsgRepaint, 0, 0);
}

void MainWindow::PaintChanges() {
  KillTimer(window_, kRepaintTimer);
  const agent::DisplayChanges::Due due = changes_.Take(agent::DisplayChanges::Clock::now());
  if (due.areas == 0) {
    if (due.wait.count() > 0) {
      SetTimer(window_, kRepaintTimer, static_cast<UINT>(due.wait.count()), nullptr);
    }
    return;
  }
  if (due.areas & agent::kAreaPercent) {
    progress_.SetPercent(agent_.model().Percent());
    Repaint(layout::kPercent);
  }
  if (due.areas & agent::kAreaStatus) Repaint(layout::kStatusLine);
  if (due.areas & agent::kAreaResultLine) Repaint(layout::kResultLine);
  if (due.areas & agent::kAreaLastScan) Repaint(layout::kLastScanLine);
}

}  // namespace tvac::ui
