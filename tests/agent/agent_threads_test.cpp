// The agent's workers on real threads, while this thread does what the window's
// thread does meanwhile: paints the lines and the rows, takes clicks and ticks,
// stops the scan, asks for a second download. Each worker is held once half-way,
// through a flag this thread reads without synchronising, so that the two sides
// overlap in every run; under ThreadSanitizer (the host-tsan preset) any state they
// share without a lock is reported.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "agent/agent.h"
#include "base/texts.h"
#include "fakes/fake_clock.h"
#include "fakes/fake_files.h"
#include "fakes/fake_network.h"
#include "fakes/fake_processes.h"
#include "fakes/fake_registry.h"
#include "fakes/fake_update_ui.h"
#include "fakes/pattern_builder.h"
#include "platform/registry_values.h"
#include "res/resource_ids.h"
#include "update/stats.h"

namespace tvac::agent {
namespace {

using base::Setting;
using platform::RootKey;

constexpr char kAppDir[] = "C:\\Program Files\\Talvo\\";
constexpr char kRunMru[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU";

// A door that one thread waits at until another opens it.
class Gate {
 public:
  void Open() {
    {
      std::lock_guard lock(mutex_);
      open_ = true;
    }
    opened_.notify_all();
  }
  void Wait() {
    std::unique_lock lock(mutex_);
    opened_.wait(lock, [this] { return open_; });
  }

 private:
  std::mutex mutex_;
  std::condition_variable opened_;
  bool open_ = false;
};

// Set on one thread and read on another without ordering anything else: a reader
// that sees it gets no view of what the setter did before.
class Signal {
 public:
  void Raise() { raised_.store(true, std::memory_order_relaxed); }
  bool Raised() const { return raised_.load(std::memory_order_relaxed); }

 private:
  std::atomic<bool> raised_{false};
};

// The main window as the workers reach it: texts go into the model as the window
// puts them there, the rest is written down. The scan worker stops once, at the
// SetPercent call numbered `hold_at`, until `resume` opens.
class ThreadedHost : public AgentHost {
 public:
  ~ThreadedHost() override { JoinWorkers(); }

  Agent* agent = nullptr;
  int hold_at = 0;
  Signal held;
  Gate resume;
  Signal finished;  // the scan's closing message or popup

  void JoinWorkers() {
    for (std::thread& worker : workers_) {
      if (worker.joinable()) worker.join();
    }
  }
  std::vector<std::string> Calls() {
    std::lock_guard lock(mutex_);
    return calls_;
  }
  bool Called(std::string_view call) {
    const std::vector<std::string> calls = Calls();
    return std::find(calls.begin(), calls.end(), call) != calls.end();
  }

  void ShowScanFace(bool stop) override { Log(stop ? "face:stop" : "face:scan"); }
  void StartElapsedTimer() override { Log("timer1"); }
  void RepaintLastScan() override {}
  void RepaintStatus() override {}
  void RepaintResultLine() override {}
  void PlayWave(std::string_view) override { Log("sound"); }
  void ShowMessage() override {
    Log("message:" + agent->settings().Read(Setting::kMessage));
    finished.Raise();
  }
  void StartPopupTimer() override {
    Log("timer3");
    finished.Raise();
  }
  void StartRemedy() override { Log("remedy"); }
  bool StartWorker() override { return Start("scan worker", &Agent::RunScanWorker); }
  bool StartCureWorker() override { return Start("cure worker", &Agent::RunCureWorker); }
  void CancelMainWindow() override { Log("cancel"); }
  void OpenUpdateDialog() override { Log("update dialog"); }

  void SetPercent(int percent) override {
    agent->model().SetPercent(percent);
    if (++percent_calls_ == hold_at) {
      held.Raise();
      resume.Wait();
    }
  }
  void SetStatusText(std::string text) override { agent->model().SetStatus(std::move(text)); }
  void SetWindowsDir(std::string) override {}
  void RedrawResultLine() override {}

  void ShowMainWindow(Show) override { Log("show"); }
  void StartHourlyScan() override {}
  void StopHourlyScan() override {}
  void PopUpMenu(MenuKind, const std::vector<MenuItemState>&) override { Log("menu"); }
  void ShowDetails(std::string_view, std::string_view, std::string_view) override {}
  bool AskYesNo(std::string_view) override { return false; }
  void OpenSettings() override {}

 private:
  void Log(std::string call) {
    std::lock_guard lock(mutex_);
    calls_.push_back(std::move(call));
  }
  bool Start(std::string call, void (Agent::*body)()) {
    Log(std::move(call));
    // The worker gets the agent itself, not this host, as the window's worker does.
    workers_.emplace_back([worker_agent = agent, body] { (worker_agent->*body)(); });
    return true;
  }

  std::mutex mutex_;
  std::vector<std::string> calls_;
  std::vector<std::thread> workers_;  // this thread's only
  int percent_calls_ = 0;             // the scan worker's only
};

class AgentThreads : public testing::Test {
 protected:
  AgentThreads() {
    platform::WriteRegistryString(registry, RootKey::kCurrentUser,
                                  "Software\\TalvoAntiVirus\\Common", "Server", "updates.test");
    agent = std::make_unique<Agent>(AgentSystem{files, registry, processes, shell, network, clock},
                                    host);
    host.agent = agent.get();
  }
  ~AgentThreads() override { host.JoinWorkers(); }

  // A database of `entries` entries, each finding one planted file, and `traces`
  // values in the Run box's list.
  void Plant(int entries, int traces) {
    fakes::PatternBuilder database;
    for (int i = 1; i <= entries; ++i) {
      const std::string path = "C:\\bad\\" + std::to_string(i) + ".exe";
      files.AddFile(path, "x");
      database.Entry("Bad." + std::to_string(i), "info")
          .File(fakes::RuleText({path, "default", texts::kKindFile}));
    }
    files.AddFile(std::string(kAppDir) + "pattern.ini", database.Build());
    for (int i = 0; i < traces; ++i) {
      platform::WriteRegistryString(registry, RootKey::kCurrentUser, kRunMru,
                                    "v" + std::to_string(i), "cmd" + std::to_string(i));
    }
  }

  // One round of what the window's thread does while a scan runs: paints the lines
  // and the rows, ticks the elapsed time, clicks the top row. The rows only grow, and
  // the trace counters always add up.
  void WindowRound() {
    MainModel& model = agent->model();
    const std::string painted[] = {model.StatusLine(), model.PercentLine(), model.LastScanLine(),
                                   model.DbLine()};
    static_cast<void>(painted);
    model.OnElapsedTick();
    const scan::Counters counters = agent->results().GetCounters();
    EXPECT_EQ(counters.trace,
              counters.search_doc + counters.media + counters.internet + counters.other);
    const std::vector<scan::ScanItem> rows = agent->results().Snapshot();
    EXPECT_GE(rows.size(), rows_seen_);
    rows_seen_ = rows.size();
    agent->ListClick(0);
  }

  fakes::FakeFiles files;
  fakes::FakeRegistry registry;
  fakes::FakeProcesses processes;
  fakes::FakeShell shell;
  fakes::FakeNetwork network{files};
  fakes::FakeClock clock;
  ThreadedHost host;
  std::unique_ptr<Agent> agent;
  std::size_t rows_seen_ = 0;
};

// The window's thread keeps busy this many rounds while the worker is held.
constexpr int kRoundsWhileHeld = 50;

TEST_F(AgentThreads, ScanRunsWhileTheWindowPaintsAndTakesClicks) {
  constexpr int kEntries = 120;
  constexpr int kTraces = 15;
  Plant(kEntries, kTraces);
  host.hold_at = kEntries / 2;

  agent->Command(IDC_SCAN);
  int rounds = 0;
  bool resumed = false;
  while (!host.finished.Raised()) {
    WindowRound();
    if (!resumed && host.held.Raised() && ++rounds >= kRoundsWhileHeld) {
      host.resume.Open();
      resumed = true;
    }
    std::this_thread::yield();
  }
  host.JoinWorkers();

  const scan::Counters counters = agent->results().GetCounters();
  EXPECT_EQ(agent->results().Count(), static_cast<std::size_t>(kEntries + kTraces));
  EXPECT_EQ(counters.malware, kEntries);
  EXPECT_EQ(counters.trace, kTraces);
  EXPECT_EQ(counters.search_doc, kTraces);
  EXPECT_TRUE(resumed);
  EXPECT_FALSE(agent->model().scanning);
  EXPECT_EQ(agent->model().StatusLine(), std::string(texts::kStatusOpen) + "00:00:00" +
                                             std::string(texts::kStatusClose) +
                                             std::string(texts::kScanComplete));
  EXPECT_TRUE(host.Called("message:" + FoundMessage(kEntries + kTraces)));
}

TEST_F(AgentThreads, StopFromTheWindowEndsTheScanWithWhatItFound) {
  constexpr int kStopAt = 5;
  Plant(40, 10);
  agent->model().online = true;
  host.hold_at = kStopAt;

  agent->Command(IDC_SCAN);
  int rounds = 0;
  bool stopped = false;
  while (!host.finished.Raised()) {
    WindowRound();
    if (!stopped && host.held.Raised() && ++rounds >= kRoundsWhileHeld) {
      agent->Command(IDC_SCAN);  // the stop face of the same button
      host.resume.Open();
      stopped = true;
    }
    std::this_thread::yield();
  }
  host.JoinWorkers();

  // Entries before the one that saw the stop were scanned; the traces were not.
  EXPECT_TRUE(stopped);
  EXPECT_EQ(agent->results().Count(), static_cast<std::size_t>(kStopAt - 1));
  EXPECT_EQ(agent->results().GetCounters().trace, 0);
  EXPECT_FALSE(agent->model().scanning);
  EXPECT_EQ(agent->model().StatusLine(), std::string(texts::kStatusOpen) + "00:00:00" +
                                             std::string(texts::kStatusClose) +
                                             std::string(texts::kScanComplete));
  EXPECT_TRUE(host.Called("message:" + FoundMessage(kStopAt - 1)));
  EXPECT_EQ(
      network.requests(),
      (std::vector<std::string>{update::StatsUrl("updates.test", update::StatsEvent::kRunScan),
                                update::StatsUrl("updates.test", update::StatsEvent::kRunStop)}));
}

// The update dialog as its worker reaches it: the percentage is handed over in one
// atomic for the dialog's thread to paint, the closing message is modal on the
// worker until the user closes it, and the worker holds once at the download's
// first progress until `resume` opens.
class ThreadedDialog : public update::UpdateDialogPort {
 public:
  std::atomic<int> percent{-1};
  Signal held;
  Gate resume;
  Signal reload_asked;
  Signal message_up;
  Gate message_closed;

  void SetProgress(int value) override {
    percents_.push_back(value);
    percent = value;
    if (percents_.size() == 1) {
      held.Raise();
      resume.Wait();
    }
  }
  void CloseDialog() override {}
  void ShowMessage() override {
    message_up.Raise();
    message_closed.Wait();
  }
  void ReloadDbInfoSoon() override { reload_asked.Raise(); }

  // Once the worker has ended.
  const std::vector<int>& percents() const { return percents_; }

 private:
  std::vector<int> percents_;  // the worker's
};

TEST_F(AgentThreads, UpdateWorkerHandsOverItsProgressAndRefusesASecondDownload) {
  const std::string database = fakes::UsableDatabase("2011.05.06");
  base::Settings& settings = agent->settings();
  settings.Write(Setting::kPendingKind, "PATTERN");
  settings.Write(Setting::kDatabaseVersion, "1.0.5");
  settings.Write(Setting::kProgramVersion, "3.0");
  const std::string description = fakes::Description("3.0", "1.0.6", "0", fakes::kDatabaseUrl);
  files.AddFile(std::string(kAppDir) + "pattern.ini", fakes::UsableDatabase("2011.05.05"));
  files.AddFile(std::string(kAppDir) + "updates.ini", description);
  network.Serve(update::UpdatesUrl("updates.test"), description);
  network.Serve(fakes::kDatabaseUrl, database);
  agent->model().online = true;
  agent->ReloadDbInfo();
  ASSERT_EQ(agent->model().DbInfo(), "2011.05.05");

  ThreadedDialog dialog;
  ASSERT_TRUE(agent->BeginUpdate(true));
  std::thread worker([&] { agent->RunUpdateWorker(dialog); });
  int rounds = 0;
  bool resumed = false;
  int last = -1;
  while (!dialog.message_up.Raised()) {
    const int percent = dialog.percent;
    EXPECT_GE(percent, last);
    last = percent;
    EXPECT_FALSE(agent->BeginUpdate(true));  // 시작 once more, or the automatic start
    agent->model().DbLine();
    if (!resumed && dialog.held.Raised() && ++rounds >= kRoundsWhileHeld) {
      agent->Command(ID_UPDATE);  // the update command while the download runs
      dialog.resume.Open();
      resumed = true;
    }
    std::this_thread::yield();
  }
  // While the message is read, timer 4 reloads the date line from the new database.
  agent->ReloadDbInfo();
  EXPECT_FALSE(agent->BeginUpdate(true));  // still running while its message is up
  dialog.message_closed.Open();
  worker.join();

  EXPECT_EQ(files.ReadAll(std::string(kAppDir) + "pattern.ini"), database);
  EXPECT_EQ(settings.Read(Setting::kDatabaseVersion), "1.0.6");
  EXPECT_TRUE(dialog.reload_asked.Raised());
  EXPECT_EQ(agent->model().DbInfo(), "2011.05.06");
  EXPECT_FALSE(host.Called("update dialog"));  // no second dialog over the running one
  EXPECT_TRUE(resumed);
  const std::vector<int>& percents = dialog.percents();
  ASSERT_FALSE(percents.empty());
  EXPECT_EQ(percents.front(), 0);
  EXPECT_TRUE(std::is_sorted(percents.begin(), percents.end()));
  EXPECT_EQ(dialog.percent.load(), 100);  // the last one handed over
  EXPECT_TRUE(agent->BeginUpdate(true));  // once it ended, a download may start again
}

}  // namespace
}  // namespace tvac::agent
