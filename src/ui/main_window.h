#pragma once

#include <windows.h>

#include <commctrl.h>

#include "agent/main_model.h"
#include "agent/scan_run.h"
#include "base/settings.h"
#include "platform/win32/files_win32.h"
#include "platform/win32/network_win32.h"
#include "platform/win32/processes_win32.h"
#include "platform/win32/registry_win32.h"
#include "scan/scan_result_list.h"
#include "ui/controls/rins_button.h"

namespace tvac::ui {

// The program's main window: a captionless skinned dialog that paints the model's
// lines, carries the scan button and the result list, and hides into the tray.
// Workers reach it only through thread-safe calls: the model under its lock,
// InvalidateRect, and posted messages for everything that needs the window's thread.
class MainWindow : public agent::ScanRunHost, public scan::ScanDisplay {
 public:
  MainWindow();
  // Creates the window, runs its message loop until it is destroyed, and returns.
  void Run();

  // agent::ScanRunHost
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
  void CancelMainWindow() override;

  // scan::ScanDisplay
  void SetPercent(int percent) override;
  void SetStatusText(std::string text) override;
  void SetWindowsDir(std::string folder) override;
  void RedrawResultLine() override { RepaintResultLine(); }

 private:
  static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  INT_PTR OnMessage(UINT message, WPARAM wparam, LPARAM lparam);
  bool PreTranslate(const MSG& message);
  void OnInitDialog();
  void SetUpResultList();
  void Paint(HDC dc);
  void PaintIcon();  // while minimised
  void OnLeftButtonDown(POINT point);
  void OnTimer(UINT_PTR id);
  void OnTrayIcon(LPARAM event);
  LRESULT OnNotify(NMHDR& header);
  void OnRowsChanged();
  void OnDestroy();
  void Repaint(const Rect& area);
  void ShowFromTray();

  platform::win32::Win32Files files_;
  platform::win32::Win32Registry registry_;
  platform::win32::Win32Network network_;
  platform::win32::Win32Clock clock_;
  platform::win32::Win32Shell shell_;
  base::Settings settings_{registry_};
  scan::ScanResultList results_;
  agent::MainModel model_;
  std::string app_dir_;
  std::string server_;
  scan::ScanEnvironment scan_env_;
  agent::ScanRunContext run_;

  HWND window_ = nullptr;
  HWND list_ = nullptr;
  HICON icon_ = nullptr;
  Bitmap background_;
  Font list_font_;
  HIMAGELIST row_images_ = nullptr;
  CRinsButton menu_button_, scan_button_, cure_button_;
  SkinStatic progress_;
};

}  // namespace tvac::ui
