#pragma once

#include <windows.h>

#include <commctrl.h>

#include "agent/agent.h"
#include "agent/display_changes.h"
#include "platform/win32/files_win32.h"
#include "platform/win32/network_win32.h"
#include "platform/win32/processes_win32.h"
#include "platform/win32/registry_win32.h"
#include "ui/controls/rins_button.h"
#include "ui/result_list_view.h"
#include "ui/tray_icon.h"

namespace tvac::ui {

// The program's main window: a captionless skinned dialog that paints the agent's
// lines, carries the buttons and the result list, hides into the tray, and hands
// every message that means a command to the agent. Workers reach it only through
// thread-safe calls: the model under its lock, the changed areas, and posted
// messages for everything that needs the window's thread. Changed areas are
// painted at most about 30 times a second, however fast a scan changes them.
class MainWindow : public agent::AgentHost {
 public:
  MainWindow();
  // Creates the window, runs its message loop until it is destroyed, and returns.
  void Run();

  // agent::ScanRunHost and agent::CureRunHost
  void ShowScanFace(bool stop) override;
  void StartElapsedTimer() override;
  void RepaintLastScan() override;
  void RepaintStatus() override;
  void RepaintResultLine() override;
  void PlayWave(std::string_view path) override;
  void ShowMessage() override;
  void StartPopupTimer() override;
  void StartRemedy() override;
  bool StartWorker() override;
  bool StartCureWorker() override;
  void CancelMainWindow() override;

  // update::UpdateCheckUi
  void OpenUpdateDialog() override;

  // scan::ScanDisplay
  void SetPercent(int percent) override;
  void SetStatusText(std::string text) override;
  void SetWindowsDir(std::string folder) override;
  void RedrawResultLine() override { RepaintResultLine(); }

  // agent::AgentHost
  void ShowMainWindow(Show how) override;
  void StartHourlyScan() override;
  void StopHourlyScan() override;
  void PopUpMenu(agent::MenuKind kind, const std::vector<agent::MenuItemState>& items) override;
  void ShowDetails(std::string_view name, std::string_view location,
                   std::string_view kind) override;
  bool AskYesNo(std::string_view question) override;
  void OpenSettings() override;

 private:
  static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  INT_PTR OnMessage(UINT message, WPARAM wparam, LPARAM lparam);
  bool PreTranslate(const MSG& message);
  void OnInitDialog();
  void Paint(HDC dc);
  void PaintIcon();  // while minimised
  void OnLeftButtonDown(POINT point);
  void OnTimer(UINT_PTR id);
  void OnDestroy();
  void Repaint(const Rect& area);
  // Any thread: AREAS changed. The window's thread: paints what changed, when due.
  void Changed(unsigned areas);
  void PaintChanges();
  bool StartThread(void (agent::Agent::*body)());

  platform::win32::Win32Files files_;
  platform::win32::Win32Registry registry_;
  platform::win32::Win32Processes processes_;
  platform::win32::Win32Network network_;
  platform::win32::Win32Clock clock_;
  platform::win32::Win32Shell shell_;
  agent::Agent agent_;
  agent::DisplayChanges changes_;

  HWND window_ = nullptr;
  HICON icon_ = nullptr;
  Bitmap background_;
  ResultListView result_list_;
  TrayIcon tray_icon_;
  CRinsButton menu_button_, scan_button_, cure_button_;
  SkinStatic progress_;
};

}  // namespace tvac::ui
