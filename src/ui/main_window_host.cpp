// The main window's side of the agent's host: what the agent and its workers ask of
// the window. Calls from workers only post messages, invalidate areas or run modal
// windows of their own.
#include "ui/main_window.h"

#include <mmsystem.h>

#include <thread>

#include "platform/win32/codepage.h"
#include "res/resource_ids.h"
#include "ui/dialogs.h"
#include "ui/main_window_ids.h"
#include "ui/menus.h"
#include "ui/popup_windows.h"

namespace tvac::ui {

using namespace main_window;
using platform::win32::Widen;
namespace layout = main_layout;

void MainWindow::ShowScanFace(bool stop) {
  // The faces belong to the window's thread, which may be drawing the old one.
  PostMessageW(window_, kMsgScanFace, stop ? 1 : 0, 0);
}

void MainWindow::StartElapsedTimer() {
  PostMessageW(window_, kMsgStartTimer, kElapsedTimer, 1000);
}

void MainWindow::RepaintLastScan() {
  Changed(agent::kAreaLastScan);
}
void MainWindow::RepaintStatus() {
  Changed(agent::kAreaStatus);
}
void MainWindow::RepaintResultLine() {
  Changed(agent::kAreaResultLine);
}

void MainWindow::PlayWave(std::string_view path) {
  PlaySoundW(Widen(path).c_str(), nullptr, SND_ASYNC | SND_FILENAME);
}

void MainWindow::ShowMessage() {
  ShowMessageWindow(agent_.settings());
}

void MainWindow::StartPopupTimer() {
  PostMessageW(window_, kMsgStartTimer, kPopupTimer, 1000);
}

void MainWindow::StartRemedy() {
  agent_.StartRemedy();
}

bool MainWindow::StartThread(void (agent::Agent::*body)()) {
  try {
    std::thread([this, body] { (agent_.*body)(); }).detach();
    return true;
  } catch (const std::system_error&) {
    return false;
  }
}

bool MainWindow::StartWorker() {
  return StartThread(&agent::Agent::RunScanWorker);
}

bool MainWindow::StartCureWorker() {
  return StartThread(&agent::Agent::RunCureWorker);
}

void MainWindow::CancelMainWindow() {
  PostMessageW(window_, WM_COMMAND, IDCANCEL, 0);
}

void MainWindow::OpenUpdateDialog() {
  ui::OpenUpdateDialog(agent_, network_, window_);
}

void MainWindow::SetPercent(int percent) {
  // Set once an entry; it changes a hundred times a scan at most.
  if (agent_.model().Percent() == percent) return;
  agent_.model().SetPercent(percent);
  Changed(agent::kAreaPercent);
}

void MainWindow::SetStatusText(std::string text) {
  agent_.model().SetStatus(std::move(text));
  Changed(agent::kAreaStatus);
}

void MainWindow::SetWindowsDir(std::string) {}

void MainWindow::ShowMainWindow(Show how) {
  switch (how) {
    case Show::kShow:
      ShowWindow(window_, SW_SHOW);
      break;
    case Show::kHide:
      ShowWindow(window_, SW_HIDE);
      break;
    case Show::kFromTray:
      ShowWindow(window_, SW_SHOWNORMAL);
      BringWindowToTop(window_);
      SetForegroundWindow(window_);
      break;
  }
}

void MainWindow::StartHourlyScan() {
  SetTimer(window_, kHourlyScanTimer, kHour, nullptr);
}

void MainWindow::StopHourlyScan() {
  KillTimer(window_, kHourlyScanTimer);
}

void MainWindow::PopUpMenu(agent::MenuKind kind, const std::vector<agent::MenuItemState>& items) {
  TrackMenu(window_, kind == agent::MenuKind::kMain ? IDR_MAIN_MENU : IDR_LIST_MENU, items);
}

void MainWindow::ShowDetails(std::string_view name, std::string_view location,
                             std::string_view kind) {
  ShowDetailDialog({std::string(name), std::string(location), std::string(kind)});
}

bool MainWindow::AskYesNo(std::string_view question) {
  return MessageBoxW(window_, Widen(question).c_str(), kTitle, MB_YESNO | MB_ICONQUESTION) == IDYES;
}

void MainWindow::OpenSettings() {
  RunSettingsDialog(agent_);
}

}  // namespace tvac::ui
