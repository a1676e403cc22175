#include "ui/dialogs.h"

#include <atomic>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "base/settings.h"
#include "res/resource_ids.h"
#include "ui/controls/gdi.h"
#include "ui/controls/rins_button.h"
#include "ui/main_window_ids.h"
#include "ui/popup_windows.h"
#include "ui/skin_window.h"

namespace tvac::ui {
namespace {

constexpr COLORREF kDark = RGB(51, 51, 51);
constexpr COLORREF kGrey = RGB(153, 153, 153);
constexpr UINT_PTR kCloseTimer = 1;
constexpr UINT kMsgProgress = WM_APP + 10;  // the worker's percentage arrived
constexpr UINT kMsgHide = WM_APP + 11;      // the worker is done with the dialog
constexpr DWORD kFade = 2000;

RECT ToRect(const Rect& r) {
  return {r.left, r.top, r.right, r.bottom};
}

void MoveTo(HWND control, const Rect& r) {
  MoveWindow(control, r.left, r.top, r.width(), r.height(), TRUE);
}

// The face and the texts over it, composed off-screen and copied in one go.
void PaintFace(HDC dc, const Rect& size, HBITMAP face,
               const std::vector<std::pair<std::string, Rect>>& lines, COLORREF colour) {
  Bitmap canvas(CreateCompatibleBitmap(dc, size.width(), size.height()));
  MemoryDc memory(dc, canvas.get());
  Blit(memory.get(), 0, 0, size.width(), size.height(), face);
  Font font = CreateSkinFont();
  memory.Select(font.get());
  for (const auto& [text, area] : lines) DrawSkinText(memory.get(), text, ToRect(area), colour);
  BitBlt(dc, 0, 0, size.width(), size.height(), memory.get(), 0, 0, SRCCOPY);
}

// The hand over a dialog's three click areas, the arrow elsewhere.
void SetDialogCursor(HWND window, const DialogLayout& layout) {
  POINT p;
  GetCursorPos(&p);
  ScreenToClient(window, &p);
  ShowPointer(HitTestDialog(layout, p.x, p.y) != DialogSpot::kElsewhere);
  SetWindowLongPtrW(window, DWLP_MSGRESULT, TRUE);
}

template <typename Self>
Self* Attached(HWND window, UINT message, LPARAM lparam) {
  if (message == WM_INITDIALOG) SetWindowLongPtrW(window, DWLP_USER, lparam);
  return reinterpret_cast<Self*>(GetWindowLongPtrW(window, DWLP_USER));
}

// --- notifier popup -------------------------------------------------------------

struct Notifier {
  agent::Agent& agent;
  bool online;
  std::vector<std::string> lines;
  Bitmap face = LoadSkinBitmap(IDB_NOTIFIER);

  void Close(HWND window) { DestroyWindow(window); }
};

INT_PTR CALLBACK NotifierProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  Notifier* self = Attached<Notifier>(window, message, lparam);
  if (!self) return FALSE;
  switch (message) {
    case WM_INITDIALOG:
      return TRUE;
    case WM_ERASEBKGND: {
      std::vector<std::pair<std::string, Rect>> lines;
      for (std::size_t i = 0; i < self->lines.size() && i < 3; ++i) {
        lines.emplace_back(self->lines[i], kNotifierLines[i]);
      }
      PaintFace(reinterpret_cast<HDC>(wparam), kNotifierLayout.window, self->face.get(), lines,
                kDark);
      SetWindowLongPtrW(window, DWLP_MSGRESULT, 1);
      return TRUE;
    }
    case WM_SETCURSOR:
      SetDialogCursor(window, kNotifierLayout);
      return TRUE;
    case WM_LBUTTONDOWN: {
      const POINT p = ClientPoint(lparam);
      switch (HitTestDialog(kNotifierLayout, p.x, p.y)) {
        case DialogSpot::kClose:
        case DialogSpot::kCancel:
          self->Close(window);
          break;
        case DialogSpot::kAct: {
          // Closing destroys the popup and `self` with it.
          agent::Agent& agent = self->agent;
          const bool online = self->online;
          self->Close(window);
          agent.NotifierView(online);
          break;
        }
        case DialogSpot::kElsewhere:
          break;
      }
      return TRUE;
    }
    case WM_TIMER:
      if (wparam != kCloseTimer) return FALSE;
      KillTimer(window, kCloseTimer);
      AnimateWindow(window, kFade, AW_BLEND | AW_HIDE);
      self->Close(window);  // `self` is gone from here on
      return TRUE;
    case WM_COMMAND:
      return TRUE;  // Enter and Escape close nothing
    case WM_NCDESTROY:
      delete self;
      SetWindowLongPtrW(window, DWLP_USER, 0);
      return TRUE;
  }
  return FALSE;
}

// --- settings dialog ------------------------------------------------------------

constexpr int kSettingsBoxIds[5] = {IDC_RUN_AT_START_BOX, IDC_AGENT_BOX, IDC_AUTO_UPDATE_BOX,
                                    IDC_AUTO_SCAN_BOX, IDC_AUTO_REMEDY_BOX};

struct SettingsDialogState {
  agent::SettingsForm form;
  bool confirmed = false;
  Bitmap face = LoadSkinBitmap(IDB_SETTINGS);
};

bool* FormBox(agent::SettingsForm& form, int index) {
  bool* boxes[5] = {&form.run_at_start, &form.agent, &form.auto_update, &form.auto_scan,
                    &form.auto_remedy};
  return boxes[index];
}

INT_PTR CALLBACK SettingsProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  SettingsDialogState* self = Attached<SettingsDialogState>(window, message, lparam);
  if (!self) return FALSE;
  switch (message) {
    case WM_INITDIALOG:
      for (int i = 0; i < 5; ++i) {
        HWND box = GetDlgItem(window, kSettingsBoxIds[i]);
        MoveTo(box, kSettingsBoxes[i]);
        SendMessageW(box, BM_SETCHECK, *FormBox(self->form, i) ? BST_CHECKED : BST_UNCHECKED, 0);
      }
      PlaceInWorkAreaCentre(window, kSettingsLayout.window);
      return TRUE;
    case WM_ERASEBKGND:
      PaintFace(reinterpret_cast<HDC>(wparam), kSettingsLayout.window, self->face.get(), {}, kDark);
      SetWindowLongPtrW(window, DWLP_MSGRESULT, 1);
      return TRUE;
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSTATIC: {
      // The boxes lie on the face without a background of their own.
      HDC dc = reinterpret_cast<HDC>(wparam);
      SetTextColor(dc, kDark);
      SetBkMode(dc, TRANSPARENT);
      return reinterpret_cast<INT_PTR>(GetStockObject(NULL_BRUSH));
    }
    case WM_SETCURSOR:
      if (reinterpret_cast<HWND>(wparam) != window) return FALSE;
      SetDialogCursor(window, kSettingsLayout);
      return TRUE;
    case WM_LBUTTONDOWN: {
      const POINT p = ClientPoint(lparam);
      switch (HitTestDialog(kSettingsLayout, p.x, p.y)) {
        case DialogSpot::kClose:
        case DialogSpot::kCancel:
          EndDialog(window, IDCANCEL);
          break;
        case DialogSpot::kAct:
          for (int i = 0; i < 5; ++i) {
            *FormBox(self->form, i) =
                SendDlgItemMessageW(window, kSettingsBoxIds[i], BM_GETCHECK, 0, 0) == BST_CHECKED;
          }
          self->confirmed = true;
          EndDialog(window, IDOK);
          break;
        case DialogSpot::kElsewhere:
          StartDrag(window);
          break;
      }
      return TRUE;
    }
    case WM_COMMAND:
      return TRUE;  // Enter and Escape end nothing; the boxes check themselves
  }
  return FALSE;
}

// --- update dialog --------------------------------------------------------------

class UpdateWindow : public update::UpdateDialogPort {
 public:
  UpdateWindow(agent::Agent& agent, bool online, HWND main_window)
      : agent_(agent), online_(online), main_window_(main_window) {}

  HWND window = nullptr;

  void Initialise() {
    progress_.Attach(GetDlgItem(window, IDC_PROGRESS));
    progress_.SetBitmaps(IDB_BAR_FILL, IDB_BAR_FILL, IDB_BAR_GROOVE, IDB_BAR_FILL);
    progress_.SetBounds(kUpdateBar);
    PlaceInWorkAreaCentre(window, kUpdateLayout.window);
  }

  // 시작, or the automatic start: one download at a time, and only online.
  void Start() {
    if (!agent_.BeginUpdate(online_)) return;
    try {
      std::thread([this] { agent_.RunUpdateWorker(*this); }).detach();
    } catch (const std::system_error&) {
      agent_.model().updating = false;
      ShowWindow(window, SW_HIDE);
    }
  }

  void Cancel() {
    agent_.CancelUpdate(online_);
    ShowWindow(window, SW_HIDE);  // a running download goes on and tells its end
  }

  void OnProgress() {
    const int percent = percent_;
    progress_.SetPercent(percent);
    const RECT area = ToRect(kUpdatePercent);
    InvalidateRect(window, &area, TRUE);
  }

  void Paint(HDC dc) {
    PaintFace(dc, kUpdateLayout.window, face_.get(),
              {{std::to_string(percent_.load()) + "%", kUpdatePercent}}, kGrey);
  }

  // update::UpdateDialogPort, on the worker: the window's thread does the drawing.
  void SetProgress(int percent) override {
    percent_ = percent;
    PostMessageW(window, kMsgProgress, 0, 0);
  }
  void CloseDialog() override { PostMessageW(window, kMsgHide, 0, 0); }
  void ShowMessage() override { ShowMessageWindow(agent_.settings()); }
  void ReloadDbInfoSoon() override {
    PostMessageW(main_window_, main_window::kMsgStartTimer, main_window::kDbInfoTimer, 1000);
  }

 private:
  agent::Agent& agent_;
  const bool online_;
  HWND main_window_;
  std::atomic<int> percent_{0};
  SkinStatic progress_;
  Bitmap face_ = LoadSkinBitmap(IDB_UPDATE);
};

INT_PTR CALLBACK UpdateProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  UpdateWindow* self = Attached<UpdateWindow>(window, message, lparam);
  if (!self) return FALSE;
  switch (message) {
    case WM_INITDIALOG:
      self->window = window;
      self->Initialise();
      return TRUE;
    case WM_ERASEBKGND:
      self->Paint(reinterpret_cast<HDC>(wparam));
      SetWindowLongPtrW(window, DWLP_MSGRESULT, 1);
      return TRUE;
    case WM_SETCURSOR:
      SetDialogCursor(window, kUpdateLayout);
      return TRUE;
    case WM_LBUTTONDOWN: {
      const POINT p = ClientPoint(lparam);
      switch (HitTestDialog(kUpdateLayout, p.x, p.y)) {
        case DialogSpot::kClose:
        case DialogSpot::kCancel:
          self->Cancel();
          break;
        case DialogSpot::kAct:
          self->Start();
          break;
        case DialogSpot::kElsewhere:
          StartDrag(window);
          break;
      }
      return TRUE;
    }
    case kMsgProgress:
      self->OnProgress();
      return TRUE;
    case kMsgHide:
      ShowWindow(window, SW_HIDE);
      return TRUE;
    case WM_COMMAND:
      return TRUE;  // Enter and Escape neither start nor cancel
  }
  return FALSE;
}

}  // namespace

void OpenNotifierPopup(agent::Agent& agent, platform::Network& network) {
  auto* self = new Notifier{agent, network.Online(), agent.NotifierLines()};
  HWND window = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_NOTIFIER),
                                   nullptr, NotifierProc, reinterpret_cast<LPARAM>(self));
  if (!window) {
    delete self;
    return;
  }
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  const Point origin = NotifierOrigin({work.left, work.top, work.right, work.bottom});
  SetWindowPos(window, HWND_TOPMOST, origin.x, origin.y, kNotifierLayout.window.width(),
               kNotifierLayout.window.height(), SWP_NOACTIVATE);
  AnimateWindow(window, kFade, AW_BLEND | AW_ACTIVATE);
  ShowWindow(window, SW_SHOW);  // where the system does not animate
  SetTimer(window, kCloseTimer, 10000, nullptr);
  self->agent.NotifierOpened(self->online);
}

void RunSettingsDialog(agent::Agent& agent) {
  SettingsDialogState state{agent.LoadSettingsForm()};
  DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_SETTINGS), nullptr, SettingsProc,
                  reinterpret_cast<LPARAM>(&state));
  if (state.confirmed) agent.SaveSettingsForm(state.form);
}

void OpenUpdateDialog(agent::Agent& agent, platform::Network& network, HWND main_window) {
  // It lives until the program ends: a download it started may outlive its window.
  auto* self = new UpdateWindow(agent, network.Online(), main_window);
  HWND window = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_UPDATE), nullptr,
                                   UpdateProc, reinterpret_cast<LPARAM>(self));
  if (!window) return;
  ShowWindow(window, SW_SHOW);
  if (agent.settings().IsOn(base::Setting::kAutoUpdate)) self->Start();
}

}  // namespace tvac::ui
