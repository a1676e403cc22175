#include "agent/scan_run.h"

#include <gtest/gtest.h>

#include "base/texts.h"
#include "fakes/fake_clock.h"
#include "fakes/fake_files.h"
#include "fakes/fake_network.h"
#include "fakes/fake_registry.h"
#include "fakes/pattern_builder.h"

namespace tvac::agent {
namespace {

using base::Setting;

// The main window as a scan run sees it: every call is written down in order.
class RecordingHost : public ScanRunHost, public scan::ScanDisplay {
 public:
  void ShowScanFace(bool stop) override { calls.push_back(stop ? "face:stop" : "face:scan"); }
  void StartElapsedTimer() override { calls.push_back("timer1"); }
  void RepaintLastScan() override {}
  void RepaintStatus() override {}
  void RepaintResultLine() override {}
  void PlayWave(std::string_view path) override { calls.push_back("sound:" + std::string(path)); }
  void ShowMessage() override { calls.push_back("message"); }
  void StartPopupTimer() override { calls.push_back("timer3"); }
  void StartRemedy() override { calls.push_back("remedy"); }
  bool StartWorker() override {
    calls.push_back("worker");
    return worker_starts;
  }
  void CancelMainWindow() override { calls.push_back("cancel"); }

  void SetPercent(int) override {
    if (stop_on_progress) *stop_on_progress = false;
  }
  void SetStatusText(std::string) override {}
  void SetWindowsDir(std::string) override {}
  void RedrawResultLine() override {}

  bool Called(std::string_view call) const {
    return std::find(calls.begin(), calls.end(), call) != calls.end();
  }

  std::vector<std::string> calls;
  bool worker_starts = true;
  std::atomic<bool>* stop_on_progress = nullptr;
};

class ScanRunTest : public ::testing::Test {
 protected:
  const std::string app_dir = "C:\\Program Files\\Talvo\\";

  // A database whose first `hits` entries each find one planted file.
  void PlantFindings(int hits) {
    fakes::PatternBuilder database;
    for (int i = 1; i <= hits; ++i) {
      const std::string path = "C:\\bad" + std::to_string(i) + ".exe";
      files.AddFile(path, "x");
      database.Entry("Bad" + std::to_string(i), "info")
          .File(fakes::RuleText({path, "default", texts::kKindFile}));
    }
    if (hits == 0) database.Entry("Absent", "info").File("C:\\absent.exe#default#x");
    files.AddFile(app_dir + "pattern.ini", database.Build());
  }
  std::string Stored(Setting setting) { return settings.Find(setting).value_or("<absent>"); }
  // What the scan command does before the worker runs.
  void Run() {
    model.scanning = true;
    RunScan(run, host);
  }

  fakes::FakeFiles files;
  fakes::FakeRegistry registry;
  fakes::FakeNetwork network{files};
  fakes::FakeClock clock;
  base::Settings settings{registry};
  scan::ScanResultList results;
  agent::MainModel model;
  RecordingHost host;
  scan::ScanEnvironment env{files, registry, results, host, model.scanning, "tester"};
  ScanRunContext run{model, env, settings, network, clock, "updates.test", app_dir};
};

TEST_F(ScanRunTest, EndingFollowsTrayRowsAndAutomaticCure) {
  struct Case {
    const char* tray;
    int rows;
    const char* auto_remedy;
    ScanEnding ending;
  } const cases[] = {
      {"True", 3, "True", ScanEnding::kPopup},         {"True", 0, "True", ScanEnding::kQuiet},
      {"False", 0, "True", ScanEnding::kNothingFound}, {"False", 3, "True", ScanEnding::kRemedy},
      {"False", 3, "False", ScanEnding::kFound},       {"true", 3, "true", ScanEnding::kFound},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.tray) + " " + std::to_string(c.rows) + " " + c.auto_remedy);
    const bool in_tray = std::string_view(c.tray) == "True";
    EXPECT_EQ(DecideEnding(in_tray, c.rows, std::string_view(c.auto_remedy) == "True"), c.ending);
  }
}

TEST_F(ScanRunTest, FoundRowsWithTheWindowShownPlayTheSoundAndTellTheCount) {
  PlantFindings(3);
  Run();
  EXPECT_EQ(results.Count(), 3u);
  EXPECT_EQ(Stored(Setting::kMessage),
            std::string(texts::kFoundPrefix) + "3" + std::string(texts::kFoundSuffix));
  EXPECT_TRUE(host.Called("sound:" + app_dir + "sound.wav"));
  EXPECT_TRUE(host.Called("message"));
  EXPECT_FALSE(host.Called("remedy"));
}

TEST_F(ScanRunTest, FoundRowsWhileHiddenWaitForThePopup) {
  PlantFindings(3);
  settings.Write(Setting::kTray, "True");
  settings.Write(Setting::kAutoRemedy, "True");
  Run();
  EXPECT_EQ(Stored(Setting::kMessage),
            std::string(texts::kFoundInTrayPrefix) + "3" + std::string(texts::kFoundInTraySuffix));
  EXPECT_TRUE(host.Called("timer3"));
  EXPECT_FALSE(host.Called("message"));
  EXPECT_FALSE(host.Called("remedy"));  // never cures on its own while hidden
}

TEST_F(ScanRunTest, NothingFoundIsToldOnlyWhenTheWindowIsShown) {
  PlantFindings(0);
  Run();
  EXPECT_EQ(Stored(Setting::kMessage), texts::kNothingFound);
  EXPECT_TRUE(host.Called("message"));

  host.calls.clear();
  settings.Write(Setting::kMessage, "earlier");
  settings.Write(Setting::kTray, "True");
  Run();
  EXPECT_EQ(Stored(Setting::kMessage), "earlier");
  EXPECT_EQ(host.calls, (std::vector<std::string>{"face:stop", "timer1", "face:scan"}));
}

TEST_F(ScanRunTest, AutomaticCureStartsInsteadOfTheMessage) {
  PlantFindings(2);
  settings.Write(Setting::kAutoRemedy, "True");
  Run();
  EXPECT_TRUE(host.Called("remedy"));
  EXPECT_FALSE(host.Called("message"));
  EXPECT_FALSE(host.Called("sound:" + app_dir + "sound.wav"));
}

TEST_F(ScanRunTest, RunRecordsTheDateAndEndsIdle) {
  PlantFindings(1);
  clock.SetToday(2011, 5, 5);
  model.online = true;
  results.InsertSignatureHit("old", "row", "from", "before");
  Run();

  EXPECT_EQ(Stored(Setting::kLastScan), "2011.05.05");
  EXPECT_EQ(model.LastScanLine(), std::string(texts::kLastScanLabel) + "2011.05.05");
  EXPECT_EQ(results.Count(), 1u);  // the earlier row was cleared
  EXPECT_FALSE(model.scanning);
  EXPECT_EQ(model.ElapsedText(), "00:00:00");
  EXPECT_EQ(model.StatusLine(), std::string(texts::kStatusOpen) + "00:00:00" +
                                    std::string(texts::kStatusClose) +
                                    std::string(texts::kScanComplete));
  EXPECT_EQ(
      network.requests(),
      std::vector<std::string>{"http://updates.test/request/count.php?mode=run_scan&key=talv"});
  EXPECT_EQ(std::vector<std::string>(host.calls.begin(), host.calls.begin() + 3),
            (std::vector<std::string>{"face:stop", "timer1", "face:scan"}));
}

TEST_F(ScanRunTest, OfflineRunSendsNothing) {
  PlantFindings(1);
  Run();
  model.scanning = true;
  ToggleScan(run, host);
  EXPECT_TRUE(network.requests().empty());
}

TEST_F(ScanRunTest, StoppedRunStillEndsWithWhatItFound) {
  PlantFindings(3);
  host.stop_on_progress = &model.scanning;  // the stop button, pressed at the first entry
  Run();
  EXPECT_LT(results.Count(), 3u);
  EXPECT_FALSE(model.scanning);
  EXPECT_EQ(model.StatusLine(), std::string(texts::kStatusOpen) + "00:00:00" +
                                    std::string(texts::kStatusClose) +
                                    std::string(texts::kScanComplete));
  EXPECT_TRUE(host.Called("message"));
}

TEST_F(ScanRunTest, ToggleStopsARunningScanAndStartsAnIdleOne) {
  model.online = true;
  model.scanning = true;
  ToggleScan(run, host);
  EXPECT_FALSE(model.scanning);
  EXPECT_EQ(host.calls, std::vector<std::string>{"face:scan"});
  EXPECT_EQ(
      network.requests(),
      std::vector<std::string>{"http://updates.test/request/count.php?mode=run_stop&key=talv"});

  // Pressed again before the worker finished its ending: the flag is already down.
  host.calls.clear();
  ToggleScan(run, host);
  EXPECT_EQ(host.calls, std::vector<std::string>{"worker"});
  EXPECT_TRUE(model.scanning);  // a second press now stops this run

  host.calls.clear();
  model.scanning = false;
  host.worker_starts = false;
  ToggleScan(run, host);
  EXPECT_EQ(host.calls, (std::vector<std::string>{"worker", "cancel"}));
  EXPECT_FALSE(model.scanning);
}

}  // namespace
}  // namespace tvac::agent
