#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "agent/agent.h"
#include "base/settings.h"

namespace tvac::fakes {

// The main window as the agent sees it: what the agent asks of it is written down in
// order. Message windows write the `Message` setting they would show; the workers
// are not started, the test runs their bodies itself.
class RecordingAgentHost : public agent::AgentHost {
 public:
  // The settings the message windows read; set before the first message.
  const base::Settings* settings = nullptr;
  std::vector<std::string> calls;
  bool worker_starts = true;
  bool answer_yes = false;
  std::vector<agent::MenuItemState> menu_items;

  // agent::ScanRunHost and agent::CureRunHost
  void ShowScanFace(bool stop) override { calls.push_back(stop ? "face:stop" : "face:scan"); }
  void StartElapsedTimer() override {}
  void RepaintLastScan() override {}
  void RepaintStatus() override {}
  void RepaintResultLine() override {}
  void PlayWave(std::string_view) override {}
  void ShowMessage() override {
    calls.push_back("message:" + (settings ? settings->Read(base::Setting::kMessage) : ""));
  }
  void StartPopupTimer() override { calls.push_back("timer3"); }
  void StartRemedy() override { calls.push_back("remedy"); }
  bool StartWorker() override {
    calls.push_back("scan worker");
    return worker_starts;
  }
  bool StartCureWorker() override {
    calls.push_back("cure worker");
    return worker_starts;
  }
  void CancelMainWindow() override { calls.push_back("cancel"); }

  // update::UpdateCheckUi
  void OpenUpdateDialog() override { calls.push_back("update dialog"); }

  // scan::ScanDisplay
  void SetPercent(int) override {}
  void SetStatusText(std::string) override {}
  void SetWindowsDir(std::string) override {}
  void RedrawResultLine() override {}

  // agent::AgentHost
  void ShowMainWindow(Show how) override {
    calls.push_back(how == Show::kHide ? "hide" : how == Show::kShow ? "show" : "show from tray");
  }
  void StartHourlyScan() override { calls.push_back("timer2 on"); }
  void StopHourlyScan() override { calls.push_back("timer2 off"); }
  void PopUpMenu(agent::MenuKind kind, const std::vector<agent::MenuItemState>& items) override {
    calls.push_back(kind == agent::MenuKind::kMain ? "main menu" : "list menu");
    menu_items = items;
  }
  void ShowDetails(std::string_view name, std::string_view location,
                   std::string_view kind) override {
    calls.push_back("details:" + std::string(name) + "|" + std::string(location) + "|" +
                    std::string(kind));
  }
  bool AskYesNo(std::string_view question) override {
    calls.push_back("ask:" + std::string(question));
    return answer_yes;
  }
  void OpenSettings() override { calls.push_back("settings"); }
};

}  // namespace tvac::fakes
