#pragma once

#include <chrono>
#include <string>
#include <string_view>
#include <vector>

#include "agent/cure_run.h"
#include "agent/main_model.h"
#include "agent/scan_run.h"
#include "agent/startup.h"
#include "base/settings.h"
#include "scan/scan_environment.h"
#include "scan/scan_result_list.h"
#include "update/update_check.h"
#include "update/update_worker.h"

// The agent behind the main window: its state, and every command the user gives it
// through the buttons, the menus, the keys, the tray icon and the result list.
namespace tvac::agent {

enum class MenuKind { kMain, kList };

// How one item of a menu shows while it is open.
struct MenuItemState {
  int id = 0;          // the item as the menu resource has it
  int command = 0;     // the command it gives; another than `id` when it is replaced
  std::string text{};  // its text when replaced; empty keeps the resource's
  bool checked = false;
  bool greyed = false;
};

// Everything the agent needs from its window. Unless said otherwise each call comes
// on the user-interface thread. The calls its bases share (ShowMessage, PlayWave,
// CancelMainWindow) are one call each.
class AgentHost : public ScanRunHost,
                  public CureRunHost,
                  public update::UpdateCheckUi,
                  public scan::ScanDisplay {
 public:
  enum class Show {
    kShow,      // shown as it was
    kHide,      // hidden
    kFromTray,  // shown normally (restored when minimised), on top and in front
  };
  virtual void ShowMainWindow(Show how) = 0;
  virtual void StartHourlyScan() = 0;
  virtual void StopHourlyScan() = 0;
  // Opens the menu at the cursor, in front, and returns once it is closed; the
  // chosen command arrives as a command of its own.
  virtual void PopUpMenu(MenuKind kind, const std::vector<MenuItemState>& items) = 0;
  virtual void ShowDetails(std::string_view name, std::string_view location,
                           std::string_view kind) = 0;
  // A yes/no question with the program's title; true for yes.
  virtual bool AskYesNo(std::string_view question) = 0;
  virtual void OpenSettings() = 0;
};

// The settings dialog's five boxes.
struct SettingsForm {
  bool run_at_start = false;  // the Run value is there and is not "0"
  bool agent = false;         // background scans while hidden
  bool auto_update = false;
  bool auto_scan = false;
  bool auto_remedy = false;
  bool operator==(const SettingsForm&) const = default;
};

// What the agent reaches the system through.
struct AgentSystem {
  platform::Files& files;
  platform::Registry& registry;
  platform::Processes& processes;
  platform::Shell& shell;
  platform::Network& network;
  platform::Clock& clock;
};

// Keys the agent looks at, by their Windows virtual-key codes.
inline constexpr int kKeyReturn = 0x0D;
inline constexpr int kKeyEscape = 0x1B;
inline constexpr int kKeyF1 = 0x70;
inline constexpr int kKeyF5 = 0x74;
// The tray icon's id and the mouse messages its callback carries.
inline constexpr unsigned kTrayIconId = 128;
inline constexpr unsigned kMouseLeftDown = 0x0201;
inline constexpr unsigned kMouseRightDown = 0x0204;

// The command that a key gives, or 0: Escape and Enter give none but are the
// agent's all the same (so that they never close the window).
struct KeyCommand {
  bool swallowed = false;
  int command = 0;
};
KeyCommand CommandForKey(int virtual_key, bool ctrl);

// The menu item changes for the agent's state.
std::vector<MenuItemState> MenuItems(MenuKind kind, bool scanning, bool run_at_start);

// The support site and its report page, on the update server's host.
std::string SupportUrl(std::string_view server);
std::string ReportUrl(std::string_view server);

class Agent {
 public:
  Agent(AgentSystem system, AgentHost& host);

  MainModel& model() { return model_; }
  scan::ScanResultList& results() { return results_; }
  base::Settings& settings() { return settings_; }
  const std::string& app_dir() const { return app_dir_; }

  // Once the window is set up: the online flag and the start-up checks, which
  // fill the window's lines. Then, once it shows, the update check and the start
  // reports, so that what they open comes up in front of it.
  void Start();
  void WindowShown();
  // The window goes: no scan goes on, a cure finishes its row, `Tray` is "False".
  void End();

  // The command table: menu items and the main window's buttons, by id.
  void Command(int id);
  // A key pressed in the main window; true when it is the agent's.
  bool Key(int virtual_key, bool ctrl);
  void TrayIcon(unsigned icon_id, unsigned mouse_message);
  // The window hidden through one of its own hide spots.
  void HiddenThroughSpot();

  // The result list; `row` is -1 when the click hit no row.
  void ListClick(int row);
  void ListDoubleClick(int row);
  void ListRightClick(int row);

  void StartRemedy();
  // The bodies of the scan and cure workers.
  void RunScanWorker();
  void RunCureWorker();

  void ReloadDbInfo();

  // The notifier popup: its three lines, and what its opening and its view button
  // do. `online` is the popup's own flag, taken when it opened.
  std::vector<std::string> NotifierLines();
  void NotifierOpened(bool online);
  void NotifierView(bool online);

  // The settings dialog: the boxes as the settings have them, and the confirm
  // button, which writes all five and says so.
  SettingsForm LoadSettingsForm();
  void SaveSettingsForm(const SettingsForm& form);

  // The update dialog. BeginUpdate is its start: true when a download may begin,
  // which it may only while the dialog's own flag says online and no other runs.
  bool BeginUpdate(bool online);
  // The download worker's body, after BeginUpdate.
  void RunUpdateWorker(update::UpdateDialogPort& port);
  void CancelUpdate(bool online);

 private:
  class UpdateOffer;
  void ShowNotice(std::string_view text);
  void ShowFromTray(AgentHost::Show how);
  void ToggleRunAtStart();
  std::string RunValue() const;  // the Run value that starts this program
  void CheckForUpdatesNow();
  void ShowDetails();
  update::UpdateEnv UpdateEnvironment();

  AgentSystem system_;
  AgentHost& host_;
  base::Settings settings_;
  std::string app_dir_;
  std::string server_;
  MainModel model_;
  scan::ScanResultList results_;
  scan::ScanEnvironment scan_env_;
  ScanRunContext scan_run_;
  CureRunContext cure_run_;
};

inline constexpr std::chrono::milliseconds kCureStopLimit{5000};

}  // namespace tvac::agent
