#include "agent/agent.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "base/texts.h"
#include "fakes/fake_clock.h"
#include "fakes/fake_files.h"
#include "fakes/fake_network.h"
#include "fakes/fake_processes.h"
#include "fakes/fake_registry.h"
#include "fakes/fake_update_ui.h"
#include "fakes/recording_agent_host.h"
#include "platform/registry_values.h"
#include "res/resource_ids.h"

namespace tvac::agent {
namespace {

using namespace std::chrono_literals;
using base::Setting;
using platform::RootKey;
using scan::Column;
using Calls = std::vector<std::string>;

constexpr RootKey kHkcu = RootKey::kCurrentUser;

std::string Message(std::string_view text) {
  return "message:" + std::string(text);
}

// The system the agent runs on, with the update server set before the agent reads it.
struct FakeSystem {
  FakeSystem() {
    platform::WriteRegistryString(registry, kHkcu, "Software\\TalvoAntiVirus\\Common", "Server",
                                  "updates.test");
  }
  fakes::FakeFiles files;
  fakes::FakeRegistry registry;
  fakes::FakeProcesses processes;
  fakes::FakeShell shell;
  fakes::FakeNetwork network{files};
  fakes::FakeClock clock;
};

class AgentTest : public testing::Test {
 protected:
  void SetUp() override { host.settings = &agent.settings(); }

  // A finding of each category: a file, a registry value, and traces of lists 3 and 19.
  void AddFindings() {
    s.files.AddFile("C:\\Bad\\evil.exe", "x");
    platform::WriteRegistryString(s.registry, kHkcu, "Software\\Bad\\Run", "Evil", "C:\\evil.exe");
    platform::WriteRegistryString(s.registry, kHkcu, "Software\\Mru", "a", "notepad");
    platform::WriteRegistryString(s.registry, kHkcu, "Software\\Urls", "url1", "http://x/");
    scan::ScanResultList& rows = agent.results();
    rows.InsertSignatureHit("Trojan.Evil", "C:\\Bad\\evil.exe", "file",
                            std::string(texts::kKindFile));
    rows.InsertSignatureHit("Trojan.Run", "HKEY_CURRENT_USER\\Software\\Bad\\Run/Evil/C:\\evil.exe",
                            "value", std::string(texts::kKindRegValue));
    rows.AppendTraceHit("notepad", "run", "a", "HKEY_CURRENT_USER\\Software\\Mru", 3);
    rows.AppendTraceHit("http://x/", "internet", "url1", "HKEY_CURRENT_USER\\Software\\Urls", 19);
  }
  void Cure() {
    agent.Command(IDC_CURE);
    ASSERT_EQ(host.calls.back(), "cure worker");
    agent.RunCureWorker();
  }
  std::vector<std::string> Names() {
    std::vector<std::string> names;
    for (const scan::ScanItem& row : agent.results().Snapshot())
      names.push_back(row[Column::kName]);
    return names;
  }
  bool Consistent() {
    const scan::Counters c = agent.results().GetCounters();
    return c.malware + c.trace == static_cast<int>(agent.results().Count()) &&
           c.search_doc + c.media + c.internet + c.other == c.trace;
  }

  FakeSystem s;
  fakes::RecordingAgentHost host;
  Agent agent{{s.files, s.registry, s.processes, s.shell, s.network, s.clock}, host};
};

TEST_F(AgentTest, CureRemovesEveryCheckedRowAndItsCounts) {
  AddFindings();
  s.network.SetOnline(true);
  agent.model().online = true;
  Cure();

  EXPECT_TRUE(agent.results().Snapshot().empty());
  const scan::Counters c = agent.results().GetCounters();
  EXPECT_EQ(c.malware, 0);
  EXPECT_EQ(c.trace, 0);
  EXPECT_EQ(c.search_doc + c.internet, 0);
  EXPECT_FALSE(s.files.Exists("C:\\Bad\\evil.exe"));
  EXPECT_FALSE(s.registry.RawValue(kHkcu, "Software\\Bad\\Run", "Evil"));
  EXPECT_FALSE(s.registry.RawValue(kHkcu, "Software\\Urls", "url1"));
  EXPECT_EQ(host.calls.back(), Message(texts::kCuredAll));
  EXPECT_EQ(agent.model().StatusLine(), std::string(texts::kStatusOpen) + "00:00:00" +
                                            std::string(texts::kStatusClose) +
                                            std::string(texts::kStatusAfterCure));
  EXPECT_EQ(
      s.network.requests(),
      std::vector<std::string>{"http://updates.test/request/count.php?mode=run_remedy&key=talv"});
  EXPECT_FALSE(agent.model().curing);
}

TEST_F(AgentTest, UncheckedAndUncuredRowsStayWithTheirCounts) {
  AddFindings();
  s.files.LockFile("C:\\Bad\\evil.exe");
  agent.ListClick(3);  // the internet trace: unchecked
  Cure();

  EXPECT_EQ(Names(), (std::vector<std::string>{"Trojan.Evil", "http://x/"}));
  EXPECT_EQ(agent.results().Field(0, Column::kCheckState), scan::kChecked);
  EXPECT_EQ(agent.results().Field(1, Column::kCheckState), scan::kUnchecked);
  EXPECT_TRUE(Consistent());
  EXPECT_EQ(agent.results().GetCounters().internet, 1);
  EXPECT_EQ(host.calls.back(), Message(std::string(texts::kCureFailedPrefix) + "1" +
                                       std::string(texts::kCureFailedSuffix)));
}

TEST_F(AgentTest, DeselectAllLeavesEverythingAndSelectAllChecksItAgain) {
  AddFindings();
  agent.ListClick(0);
  agent.Command(ID_DESELECT_ALL);
  Cure();
  EXPECT_EQ(agent.results().Count(), 4u);
  EXPECT_EQ(host.calls.back(), Message(texts::kCuredAll));

  agent.Command(ID_SELECT_ALL);
  for (const scan::ScanItem& row : agent.results().Snapshot()) {
    EXPECT_EQ(row[Column::kCheckState], scan::kChecked);
  }
  Cure();
  EXPECT_EQ(agent.results().Count(), 0u);
}

TEST_F(AgentTest, EmptyListSendsOnlyTheReport) {
  agent.model().online = true;
  Cure();
  EXPECT_EQ(host.calls, Calls{"cure worker"});
  EXPECT_EQ(s.network.requests().size(), 1u);
  EXPECT_EQ(agent.model().StatusLine(), std::string(texts::kStatusOpen) + "00:00:00" +
                                            std::string(texts::kStatusClose) +
                                            std::string(texts::kStatusInitial));
  EXPECT_FALSE(agent.model().curing);
}

TEST_F(AgentTest, ScanAndCureNeverWorkAtOnce) {
  AddFindings();
  agent.model().scanning = true;
  agent.Command(ID_CURE);
  EXPECT_EQ(host.calls, Calls{Message(texts::kCureScanRunning)});
  EXPECT_FALSE(agent.model().curing);

  agent.model().scanning = false;
  host.calls.clear();
  agent.Command(ID_LIST_CURE);  // the worker is "running" from here on
  agent.Command(IDC_CURE);
  agent.Command(ID_SCAN);
  EXPECT_EQ(host.calls,
            (Calls{"cure worker", Message(texts::kCureRunning), Message(texts::kCureRunning)}));
  EXPECT_FALSE(agent.model().scanning);

  agent.RunCureWorker();
  host.calls.clear();
  agent.Command(ID_SCAN);
  EXPECT_EQ(host.calls, (Calls{"scan worker"}));
}

TEST_F(AgentTest, CureWorkerThatCannotStartEndsTheProgram) {
  host.worker_starts = false;
  agent.Command(ID_CURE);
  EXPECT_EQ(host.calls, (Calls{"cure worker", "cancel"}));
  EXPECT_FALSE(agent.model().curing);
}

TEST_F(AgentTest, EndingDuringACureLetsItStopAfterItsRow) {
  AddFindings();
  agent.Command(ID_CURE);
  // The window goes while the worker is between rows: it stops there.
  agent.End();
  EXPECT_TRUE(agent.model().ending);
  EXPECT_EQ(s.clock.waited(), kCureStopLimit);  // nobody cleared `curing` meanwhile
  agent.RunCureWorker();
  EXPECT_EQ(agent.results().Count(), 4u);
  EXPECT_FALSE(agent.model().curing);
  EXPECT_NE(host.calls.back().rfind("message:", 0), 0u);  // no notice
  EXPECT_EQ(agent.settings().Read(Setting::kTray), "False");
}

TEST_F(AgentTest, ClicksMarkRowsAndSetTheCurrentRow) {
  AddFindings();
  agent.ListClick(1);
  EXPECT_EQ(agent.results().Field(1, Column::kCheckState), scan::kUnchecked);
  agent.ListClick(1);
  EXPECT_EQ(agent.results().Field(1, Column::kCheckState), scan::kChecked);
  agent.ListDoubleClick(2);
  EXPECT_EQ(agent.model().current_row, 2);
  EXPECT_EQ(agent.results().Field(2, Column::kCheckState), scan::kChecked);

  agent.ListClick(-1);  // below the last row
  EXPECT_EQ(agent.model().current_row, -1);
  for (const scan::ScanItem& row : agent.results().Snapshot()) {
    EXPECT_EQ(row[Column::kCheckState], scan::kChecked);
  }
  agent.Command(ID_DETAILS);
  EXPECT_EQ(host.calls.back(), "details:||");

  agent.ListRightClick(0);
  EXPECT_EQ(host.calls.back(), "list menu");
  agent.Command(ID_DETAILS);
  EXPECT_EQ(host.calls.back(),
            "details:Trojan.Run|" + agent.results().Field(0, Column::kLocation) + "|value");
}

TEST_F(AgentTest, RightClickOnAnEmptyListOpensNoMenu) {
  agent.ListRightClick(-1);
  EXPECT_TRUE(host.calls.empty());
  EXPECT_EQ(agent.model().current_row, -1);
}

TEST(CommandForKey, Table) {
  const struct {
    int key;
    bool ctrl;
    KeyCommand expected;
  } cases[] = {
      {kKeyEscape, false, {true, 0}},
      {kKeyReturn, true, {true, 0}},
      {kKeyF5, false, {true, ID_SETTINGS}},
      {kKeyF1, false, {true, ID_ABOUT}},
      {'S', true, {true, ID_SCAN}},
      {'R', true, {true, ID_CURE}},
      {'S', false, {false, 0}},
      {'R', false, {false, 0}},
      {'A', true, {false, 0}},
      {0x28 /* down */, false, {false, 0}},
  };
  for (const auto& c : cases) {
    const KeyCommand got = CommandForKey(c.key, c.ctrl);
    EXPECT_EQ(got.swallowed, c.expected.swallowed) << c.key << " ctrl " << c.ctrl;
    EXPECT_EQ(got.command, c.expected.command) << c.key << " ctrl " << c.ctrl;
  }
}

TEST(MenuItems, ScanBecomesStopAndCureGreysWhileScanning) {
  const std::vector<MenuItemState> idle = MenuItems(MenuKind::kMain, false, true);
  ASSERT_EQ(idle.size(), 1u);
  EXPECT_EQ(idle[0].id, ID_RUN_AT_START);
  EXPECT_TRUE(idle[0].checked);
  EXPECT_FALSE(MenuItems(MenuKind::kMain, false, false)[0].checked);
  EXPECT_TRUE(MenuItems(MenuKind::kList, false, true).empty());

  const std::vector<MenuItemState> main = MenuItems(MenuKind::kMain, true, false);
  ASSERT_EQ(main.size(), 3u);
  EXPECT_EQ(main[1].id, ID_SCAN);
  EXPECT_EQ(main[1].text, texts::kStopItem);
  EXPECT_EQ(main[2].id, ID_CURE);
  EXPECT_TRUE(main[2].greyed);

  const std::vector<MenuItemState> list = MenuItems(MenuKind::kList, true, false);
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[0].id, ID_LIST_SCAN);
  EXPECT_EQ(list[0].command, ID_SCAN);
  EXPECT_EQ(list[0].text, texts::kStopItem);
  EXPECT_EQ(list[1].id, ID_LIST_CURE);
  EXPECT_TRUE(list[1].greyed);
}

TEST_F(AgentTest, TrayCallbackTable) {
  const struct {
    unsigned icon;
    unsigned message;
    Calls calls;
  } cases[] = {
      {kTrayIconId, kMouseLeftDown, {"show from tray", "timer2 off"}},
      {kTrayIconId, kMouseRightDown, {"main menu"}},
      {kTrayIconId, 0x0203 /* double click */, {}},
      {kTrayIconId, 0x0202 /* button up */, {}},
      {kTrayIconId, 0x0200 /* move */, {}},
      {129, kMouseLeftDown, {}},
  };
  for (const auto& c : cases) {
    host.calls.clear();
    agent.settings().WriteFlag(Setting::kTray, true);
    agent.TrayIcon(c.icon, c.message);
    EXPECT_EQ(host.calls, c.calls) << c.icon << " " << c.message;
    EXPECT_EQ(agent.settings().IsOn(Setting::kTray), c.calls.size() != 2) << c.message;
  }
}

TEST_F(AgentTest, OpenHideAndTheHideSpot) {
  agent.settings().WriteFlag(Setting::kTray, true);
  agent.Command(ID_HIDE);
  EXPECT_EQ(host.calls, Calls{"hide"});
  agent.Command(ID_OPEN);
  EXPECT_EQ(host.calls, (Calls{"hide", "show", "timer2 off"}));
  EXPECT_EQ(agent.settings().Read(Setting::kTray), "False");

  host.calls.clear();
  agent.HiddenThroughSpot();
  EXPECT_EQ(host.calls, Calls{"hide"});
  agent.settings().WriteFlag(Setting::kAgent, true);
  agent.HiddenThroughSpot();
  EXPECT_EQ(host.calls, (Calls{"hide", "hide", "timer2 on"}));
  EXPECT_EQ(agent.settings().Read(Setting::kTray), "True");
}

TEST_F(AgentTest, RunAtStartWritesTheQuotedPathThenDeletesIt) {
  constexpr char kRun[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
  agent.Command(ID_RUN_AT_START);
  EXPECT_TRUE(agent.model().run_at_start);
  EXPECT_EQ(s.registry.RawValue(kHkcu, kRun, "TalvoAntiVirus"),
            std::string("\"C:\\Program Files\\Talvo\\tvac.exe\"") + '\0');
  agent.Command(ID_RUN_AT_START);
  EXPECT_FALSE(agent.model().run_at_start);
  EXPECT_FALSE(s.registry.RawValue(kHkcu, kRun, "TalvoAntiVirus"));
}

TEST_F(AgentTest, BrowserCommandsOpenTheSiteOnTheUpdateHost) {
  agent.Command(ID_SUPPORT);
  agent.Command(ID_REPORT);
  agent.Command(ID_LIST_REPORT);
  ASSERT_EQ(s.shell.calls.size(), 3u);
  EXPECT_EQ(s.shell.calls[0].file, "http://updates.test");
  EXPECT_EQ(s.shell.calls[1].file, "http://updates.test/zbxe/report");
  EXPECT_EQ(s.shell.calls[2].file, "http://updates.test/zbxe/report");
  EXPECT_EQ(s.shell.calls[1].parameters, "");
  EXPECT_EQ(s.shell.calls[1].show, platform::ShowWindow::kShown);
}

TEST_F(AgentTest, ProgramInformationTellsTheDatabaseDate) {
  agent.model().SetDbInfo("2011.05.05");
  agent.Command(ID_ABOUT);
  EXPECT_EQ(host.calls.back(), Message(std::string(texts::kAboutPrefix) + "2011.05.05)"));
  EXPECT_TRUE(agent.Key(kKeyF1, false));
  EXPECT_EQ(host.calls.size(), 2u);
}

TEST_F(AgentTest, ExitAsksAndNoKeepsTheProgram) {
  agent.Command(ID_EXIT);
  ASSERT_EQ(host.calls.size(), 1u);
  EXPECT_EQ(host.calls[0], "ask:" + std::string(texts::kExitQuestion));
  EXPECT_NE(texts::kExitQuestion.find("\n\r"), std::string_view::npos);
  host.answer_yes = true;
  agent.Command(ID_EXIT);
  EXPECT_EQ(host.calls.back(), "cancel");
}

TEST_F(AgentTest, UpdateCommandDoesNothingOffline) {
  s.network.SetOnline(true);  // came online after the start: still offline to the agent
  agent.Command(ID_UPDATE);
  EXPECT_TRUE(s.network.requests().empty());
  EXPECT_TRUE(s.network.downloads().empty());
  EXPECT_TRUE(host.calls.empty());
}

TEST_F(AgentTest, KeysGiveTheirCommands) {
  EXPECT_TRUE(agent.Key(kKeyF5, false));
  EXPECT_TRUE(agent.Key('R', true));
  EXPECT_TRUE(agent.Key(kKeyEscape, false));
  EXPECT_FALSE(agent.Key('R', false));
  EXPECT_EQ(host.calls, (Calls{"settings", "cure worker"}));
}

TEST_F(AgentTest, NotifierTellsTheMessageAndBothCounts) {
  AddFindings();
  agent.settings().Write(Setting::kMessage, "found");
  EXPECT_EQ(
      agent.NotifierLines(),
      (std::vector<std::string>{
          "found", std::string(texts::kNotifierMalware) + "2" + std::string(texts::kNotifierUnit),
          std::string(texts::kNotifierTrace) + "2" + std::string(texts::kNotifierUnit)}));
  agent.settings().Remove(Setting::kMessage);
  EXPECT_EQ(agent.NotifierLines()[0], "0");
}

TEST_F(AgentTest, NotifierViewShowsOnlyTheWindow) {
  agent.settings().WriteFlag(Setting::kTray, true);
  agent.NotifierOpened(false);
  agent.NotifierView(false);
  EXPECT_TRUE(s.network.requests().empty());
  agent.NotifierOpened(true);
  agent.NotifierView(true);
  EXPECT_EQ(host.calls, (Calls{"show", "show"}));
  EXPECT_EQ(agent.settings().Read(Setting::kTray), "True");
  EXPECT_EQ(
      s.network.requests(),
      (std::vector<std::string>{"http://updates.test/request/count.php?mode=agent_run&key=talv",
                                "http://updates.test/request/count.php?mode=agent_ok&key=talv"}));
}

TEST_F(AgentTest, SettingsFormLoadsFlagsExactlyAndAnyRunValue) {
  constexpr char kRun[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
  const struct {
    const char* run;  // nullptr: absent
    const char* flag;
    bool run_checked;
    bool flag_checked;
  } cases[] = {
      {nullptr, nullptr, false, false},
      {"0", "True", false, true},
      {"C:\\Other\\other.exe", "true", true, false},
      {"", "TRUE", true, false},
  };
  for (const auto& c : cases) {
    agent.settings().Remove(Setting::kRunAtStart);
    if (c.run) platform::WriteRegistryString(s.registry, kHkcu, kRun, "TalvoAntiVirus", c.run);
    for (Setting flag :
         {Setting::kAgent, Setting::kAutoUpdate, Setting::kAutoScan, Setting::kAutoRemedy}) {
      agent.settings().Remove(flag);
      if (c.flag) agent.settings().Write(flag, c.flag);
    }
    const SettingsForm form = agent.LoadSettingsForm();
    EXPECT_EQ(form.run_at_start, c.run_checked) << (c.run ? c.run : "(absent)");
    EXPECT_EQ(form, (SettingsForm{c.run_checked, c.flag_checked, c.flag_checked, c.flag_checked,
                                  c.flag_checked}))
        << (c.flag ? c.flag : "(absent)");
  }
}

TEST_F(AgentTest, ConfirmingSettingsWritesAllFiveAndSaysSo) {
  constexpr char kRun[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
  platform::WriteRegistryString(s.registry, kHkcu, kRun, "TalvoAntiVirus", "C:\\Other\\other.exe");
  agent.settings().Write(Setting::kAutoScan, "true");
  agent.SaveSettingsForm(agent.LoadSettingsForm());  // confirmed unchanged
  EXPECT_EQ(s.registry.RawValue(kHkcu, kRun, "TalvoAntiVirus"),
            std::string("\"C:\\Program Files\\Talvo\\tvac.exe\"") + '\0');
  for (Setting flag :
       {Setting::kAgent, Setting::kAutoUpdate, Setting::kAutoScan, Setting::kAutoRemedy}) {
    EXPECT_EQ(agent.settings().Find(flag), "False");
  }
  EXPECT_TRUE(agent.model().run_at_start);
  EXPECT_EQ(host.calls, Calls{Message(texts::kSettingsSaved)});

  agent.SaveSettingsForm({.run_at_start = false, .agent = true, .auto_remedy = true});
  EXPECT_FALSE(s.registry.RawValue(kHkcu, kRun, "TalvoAntiVirus"));
  EXPECT_FALSE(agent.model().run_at_start);
  EXPECT_EQ(agent.settings().Find(Setting::kAgent), "True");
  EXPECT_EQ(agent.settings().Find(Setting::kAutoUpdate), "False");
  EXPECT_EQ(agent.settings().Find(Setting::kAutoRemedy), "True");
}

TEST_F(AgentTest, OneUpdateDownloadAtATimeAndOnlyOnline) {
  EXPECT_FALSE(agent.BeginUpdate(false));
  EXPECT_TRUE(agent.BeginUpdate(true));
  EXPECT_FALSE(agent.BeginUpdate(true));  // 시작 again while it downloads

  // No second dialog while the download runs.
  s.files.AddFile("C:\\Program Files\\Talvo\\pattern.ini", "");
  s.network.Serve("http://updates.test/update/updates.ini",
                  "[UPDATE]\r\nVER=9.9\r\nURL=0\r\n[PATTERN]\r\nVER=0\r\nURL=0\r\n");
  s.network.SetOnline(true);
  agent.Start();
  agent.WindowShown();
  EXPECT_EQ(std::count(host.calls.begin(), host.calls.end(), "update dialog"), 0);

  fakes::RecordingDialogPort port(agent.settings(), host.calls);
  agent.RunUpdateWorker(port);
  agent.WindowShown();  // the download is over: the offer comes again
  EXPECT_EQ(std::count(host.calls.begin(), host.calls.end(), "update dialog"), 1);
  EXPECT_TRUE(agent.BeginUpdate(true));
}

TEST_F(AgentTest, CancellingTheUpdateReportsItOnlyOnline) {
  agent.CancelUpdate(false);
  EXPECT_TRUE(s.network.requests().empty());
  agent.CancelUpdate(true);
  EXPECT_EQ(s.network.requests(),
            std::vector<std::string>{
                "http://updates.test/request/count.php?mode=update_cancel&key=talv"});
}

}  // namespace
}  // namespace tvac::agent
