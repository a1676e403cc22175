#include "agent/agent.h"

#include "base/texts.h"
#include "platform/path.h"
#include "res/resource_ids.h"
#include "scan/pattern_database.h"
#include "update/stats.h"

namespace tvac::agent {
namespace {

using base::Setting;
using Show = AgentHost::Show;

// The start-up sequence starts its scan as the scan button does.
class StartupScan : public StartupHost {
 public:
  StartupScan(ScanRunContext& run, ScanRunHost& host) : run_(run), host_(host) {}
  void StartScan() override { ToggleScan(run_, host_); }

 private:
  ScanRunContext& run_;
  ScanRunHost& host_;
};

}  // namespace

// The update check offers an update through the window, but never a second dialog
// while a download runs.
class Agent::UpdateOffer : public update::UpdateCheckUi {
 public:
  UpdateOffer(MainModel& model, AgentHost& host) : model_(model), host_(host) {}
  void OpenUpdateDialog() override {
    if (!model_.updating) host_.OpenUpdateDialog();
  }
  void ShowMessage() override { static_cast<CureRunHost&>(host_).ShowMessage(); }
  void PlayWave(std::string_view path) override { static_cast<ScanRunHost&>(host_).PlayWave(path); }

 private:
  MainModel& model_;
  AgentHost& host_;
};

KeyCommand CommandForKey(int virtual_key, bool ctrl) {
  switch (virtual_key) {
    case kKeyReturn:
    case kKeyEscape:
      return {true, 0};
    case kKeyF5:
      return {true, ID_SETTINGS};
    case kKeyF1:
      return {true, ID_ABOUT};
    case 'S':
      if (ctrl) return {true, ID_SCAN};
      break;
    case 'R':
      if (ctrl) return {true, ID_CURE};
      break;
  }
  return {};
}

std::vector<MenuItemState> MenuItems(MenuKind kind, bool scanning, bool run_at_start) {
  std::vector<MenuItemState> items;
  if (kind == MenuKind::kMain) {
    items.push_back({.id = ID_RUN_AT_START, .command = ID_RUN_AT_START, .checked = run_at_start});
    if (scanning) {
      items.push_back({.id = ID_SCAN, .command = ID_SCAN, .text = std::string(texts::kStopItem)});
      items.push_back({.id = ID_CURE, .command = ID_CURE, .greyed = true});
    }
  } else if (scanning) {
    // Both ids give the scan command, which stops the running scan.
    items.push_back(
        {.id = ID_LIST_SCAN, .command = ID_SCAN, .text = std::string(texts::kStopItem)});
    items.push_back({.id = ID_LIST_CURE, .command = ID_LIST_CURE, .greyed = true});
  }
  return items;
}

std::string SupportUrl(std::string_view server) {
  return "http://" + std::string(server);
}

std::string ReportUrl(std::string_view server) {
  return SupportUrl(server) + "/zbxe/report";
}

Agent::Agent(AgentSystem system, AgentHost& host)
    : system_(system),
      host_(host),
      settings_(system.registry),
      app_dir_(std::string(platform::ParentPath(system.files.ProgramPath())) + "\\"),
      server_(settings_.Server()),
      scan_env_{system.files, system.registry, results_,
                host,         model_.scanning, system.files.UserName()},
      scan_run_{model_, scan_env_, settings_, system.network, system.clock, server_, app_dir_},
      cure_run_{model_,
                results_,
                {system.files, system.registry, system.processes, system.shell, system.clock},
                settings_,
                system.network,
                server_} {}

update::UpdateEnv Agent::UpdateEnvironment() {
  return {system_.files, system_.network, system_.clock, system_.shell,
          settings_,     app_dir_,        server_,       scan::IsUsableDatabase};
}

void Agent::Start() {
  model_.online = system_.network.Online();
  update::UpdateEnv env = UpdateEnvironment();
  StartupScan startup_scan(scan_run_, host_);
  StartupState state;
  StartupChecks(env, startup_scan, state);
  model_.SetLastScan(state.last_scan);
  model_.SetDbInfo(state.db_info);
  model_.run_at_start = state.run_at_start;
}

void Agent::WindowShown() {
  update::UpdateEnv env = UpdateEnvironment();
  UpdateOffer offer(model_, host_);
  StartupReports(env, offer, model_.online);
}

void Agent::End() {
  model_.scanning = false;
  StopCure(model_, system_.clock, kCureStopLimit);
  settings_.WriteFlag(Setting::kTray, false);
}

void Agent::ShowNotice(std::string_view text) {
  settings_.Write(Setting::kMessage, text);
  static_cast<CureRunHost&>(host_).ShowMessage();
}

void Agent::ShowFromTray(Show how) {
  host_.ShowMainWindow(how);
  settings_.WriteFlag(Setting::kTray, false);
  host_.StopHourlyScan();
}

void Agent::Command(int id) {
  switch (id) {
    case ID_OPEN:
      ShowFromTray(Show::kShow);
      break;
    case ID_HIDE:
      host_.ShowMainWindow(Show::kHide);
      break;
    case ID_SCAN:
    case ID_LIST_SCAN:
    case IDC_SCAN:
      ToggleScan(scan_run_, host_);
      break;
    case ID_CURE:
    case ID_LIST_CURE:
    case IDC_CURE:
      StartRemedy();
      break;
    case ID_REPORT:
    case ID_LIST_REPORT:
      system_.shell.Open(ReportUrl(server_), "", platform::ShowWindow::kShown);
      break;
    case ID_SUPPORT:
      system_.shell.Open(SupportUrl(server_), "", platform::ShowWindow::kShown);
      break;
    case ID_SETTINGS:
      host_.OpenSettings();
      break;
    case ID_RUN_AT_START:
      ToggleRunAtStart();
      break;
    case ID_UPDATE:
      CheckForUpdatesNow();
      break;
    case ID_ABOUT:
      ShowNotice(std::string(texts::kAboutPrefix) + model_.DbInfo() +
                 std::string(texts::kAboutSuffix));
      break;
    case ID_EXIT:
      if (host_.AskYesNo(texts::kExitQuestion)) static_cast<CureRunHost&>(host_).CancelMainWindow();
      break;
    case ID_DETAILS:
      ShowDetails();
      break;
    case ID_SELECT_ALL:
      results_.SetAllCheckStates(scan::kChecked);
      break;
    case ID_DESELECT_ALL:
      results_.SetAllCheckStates(scan::kUnchecked);
      break;
    case IDC_MENU:
      host_.PopUpMenu(MenuKind::kMain,
                      MenuItems(MenuKind::kMain, model_.scanning, model_.run_at_start));
      break;
  }
}

void Agent::ToggleRunAtStart() {
  // The command goes by what the agent believes, not by what the registry holds.
  if (model_.run_at_start.exchange(false)) {
    settings_.Remove(Setting::kRunAtStart);
    return;
  }
  model_.run_at_start = true;
  settings_.Write(Setting::kRunAtStart, RunValue());
}

std::string Agent::RunValue() const {
  // Quoted, so that a folder with spaces cannot start another program.
  return "\"" + app_dir_ + "tvac.exe\"";
}

void Agent::CheckForUpdatesNow() {
  // The flag is the one taken at start; a machine that came online since is not asked.
  if (!model_.online) return;
  update::StatsPing(system_.network, update::StatsUrl(server_, update::StatsEvent::kUpdateExe));
  update::UpdateEnv env = UpdateEnvironment();
  UpdateOffer offer(model_, host_);
  update::CheckForUpdates(env, offer, true);
}

void Agent::ShowDetails() {
  const int row = model_.current_row;
  const std::optional<scan::ScanItem> item =
      row < 0 ? std::nullopt : results_.Row(static_cast<std::size_t>(row));
  if (!item) {
    host_.ShowDetails("", "", "");
    return;
  }
  host_.ShowDetails((*item)[scan::Column::kName], (*item)[scan::Column::kLocation],
                    (*item)[scan::Column::kKind]);
}

bool Agent::Key(int virtual_key, bool ctrl) {
  const KeyCommand key = CommandForKey(virtual_key, ctrl);
  if (key.command != 0) Command(key.command);
  return key.swallowed;
}

void Agent::TrayIcon(unsigned icon_id, unsigned mouse_message) {
  if (icon_id != kTrayIconId) return;
  if (mouse_message == kMouseLeftDown) {
    ShowFromTray(Show::kFromTray);
  } else if (mouse_message == kMouseRightDown) {
    host_.PopUpMenu(MenuKind::kMain,
                    MenuItems(MenuKind::kMain, model_.scanning, model_.run_at_start));
  }
}

void Agent::HiddenThroughSpot() {
  host_.ShowMainWindow(Show::kHide);
  settings_.WriteFlag(Setting::kTray, true);
  if (settings_.IsOn(Setting::kAgent)) host_.StartHourlyScan();
}

void Agent::ListClick(int row) {
  model_.current_row = row;
  if (row >= 0) results_.ToggleCheck(static_cast<std::size_t>(row));
}

void Agent::ListDoubleClick(int row) {
  model_.current_row = row;
}

void Agent::ListRightClick(int row) {
  model_.current_row = row;
  if (results_.Count() < 1) return;
  host_.PopUpMenu(MenuKind::kList, MenuItems(MenuKind::kList, model_.scanning, false));
}

void Agent::StartRemedy() {
  agent::StartRemedy(cure_run_, host_);
}

void Agent::RunScanWorker() {
  RunScan(scan_run_, host_);
}

void Agent::RunCureWorker() {
  RunRemedy(cure_run_, host_);
}

std::vector<std::string> Agent::NotifierLines() {
  const scan::Counters counters = results_.GetCounters();
  const std::string unit(texts::kNotifierUnit);
  return {settings_.Read(Setting::kMessage),
          std::string(texts::kNotifierMalware) + std::to_string(counters.malware) + unit,
          std::string(texts::kNotifierTrace) + std::to_string(counters.trace) + unit};
}

void Agent::NotifierOpened(bool online) {
  if (online) {
    update::StatsPing(system_.network, update::StatsUrl(server_, update::StatsEvent::kAgentRun));
  }
}

void Agent::NotifierView(bool online) {
  // Only the window: `Tray` and the hourly scans stay as they are.
  host_.ShowMainWindow(Show::kShow);
  if (online) {
    update::StatsPing(system_.network, update::StatsUrl(server_, update::StatsEvent::kAgentOk));
  }
}

SettingsForm Agent::LoadSettingsForm() {
  // A Run value of another program counts: the box says the agent starts with
  // Windows, and confirming puts this program's path there.
  return {.run_at_start = settings_.Read(Setting::kRunAtStart) != "0",
          .agent = settings_.IsOn(Setting::kAgent),
          .auto_update = settings_.IsOn(Setting::kAutoUpdate),
          .auto_scan = settings_.IsOn(Setting::kAutoScan),
          .auto_remedy = settings_.IsOn(Setting::kAutoRemedy)};
}

void Agent::SaveSettingsForm(const SettingsForm& form) {
  if (form.run_at_start) {
    settings_.Write(Setting::kRunAtStart, RunValue());
  } else {
    settings_.Remove(Setting::kRunAtStart);
  }
  model_.run_at_start = form.run_at_start;
  settings_.WriteFlag(Setting::kAgent, form.agent);
  settings_.WriteFlag(Setting::kAutoUpdate, form.auto_update);
  settings_.WriteFlag(Setting::kAutoScan, form.auto_scan);
  settings_.WriteFlag(Setting::kAutoRemedy, form.auto_remedy);
  ShowNotice(texts::kSettingsSaved);
}

bool Agent::BeginUpdate(bool online) {
  return online && !model_.updating.exchange(true);
}

void Agent::RunUpdateWorker(update::UpdateDialogPort& port) {
  update::UpdateEnv env = UpdateEnvironment();
  update::RunUpdate(env, port);
  model_.updating = false;
}

void Agent::CancelUpdate(bool online) {
  if (online) {
    update::StatsPing(system_.network,
                      update::StatsUrl(server_, update::StatsEvent::kUpdateCancel));
  }
}

void Agent::ReloadDbInfo() {
  model_.SetDbInfo(scan::PatternDatabase::Load(system_.files, app_dir_ + "pattern.ini").DbInfo());
}

}  // namespace tvac::agent
