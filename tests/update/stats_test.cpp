#include "update/stats.h"

#include <gtest/gtest.h>

#include "fakes/fake_files.h"
#include "fakes/fake_network.h"

namespace tvac::update {
namespace {

using fakes::FakeNetwork;
using Failure = FakeNetwork::Failure;

TEST(StatsUrl, EveryEventHasItsOwnFixedAddress) {
  const struct {
    StatsEvent event;
    const char* url;
  } cases[] = {
      {StatsEvent::kAgentRun, "http://updates.test/request/count.php?mode=agent_run&key=talv"},
      {StatsEvent::kAgentOk, "http://updates.test/request/count.php?mode=agent_ok&key=talv"},
      {StatsEvent::kRunExe, "http://updates.test/request/count.php?mode=run_exe&key=talv"},
      {StatsEvent::kUpdateRun, "http://updates.test/request/count.php?mode=update_run&key=talv"},
      {StatsEvent::kRunStop, "http://updates.test/request/count.php?mode=run_stop&key=talv"},
      {StatsEvent::kRunScan, "http://updates.test/request/count.php?mode=run_scan&key=talv"},
      {StatsEvent::kRunRemedy, "http://updates.test/request/count.php?mode=run_remedy&key=talv"},
      {StatsEvent::kUpdateExe, "http://updates.test/request/count.php?mode=update_exe&key=talv"},
      {StatsEvent::kUpdateCancel,
       "http://updates.test/request/count.php?mode=update_cancel&key=talv"},
      {StatsEvent::kUpdateOk, "http://updates.test/request/count.php?mode=update_ok&key=talv"},
  };
  for (const auto& c : cases) EXPECT_EQ(StatsUrl("updates.test", c.event), c.url);
}

TEST(StatsUrl, KeepsThePortOfTheServer) {
  EXPECT_EQ(StatsUrl("updates.test:8080", StatsEvent::kRunScan),
            "http://updates.test:8080/request/count.php?mode=run_scan&key=talv");
  EXPECT_EQ(UpdatesUrl("updates.test:8080"), "http://updates.test:8080/update/updates.ini");
  EXPECT_EQ(UpdatesUrl("updates.test"), "http://updates.test/update/updates.ini");
}

TEST(StatsPing, SendsOneRequestWhateverTheServerDoes) {
  constexpr char kUrl[] = "http://updates.test/request/count.php?mode=run_scan&key=talv";
  const struct {
    const char* name;
    bool served;
    Failure failure;
  } cases[] = {
      {"answered", true, Failure::kNone},     {"not found", true, Failure::kNotFound},
      {"cut off", true, Failure::kCutOff},    {"timed out", true, Failure::kTimedOut},
      {"unreachable", false, Failure::kNone},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fakes::FakeFiles files;
    FakeNetwork network(files);
    if (c.served) network.Serve(kUrl, "ok\r\nmore", c.failure);
    StatsPing(network, kUrl);
    EXPECT_EQ(network.requests(), std::vector<std::string>{kUrl});
    EXPECT_TRUE(network.downloads().empty());
  }
}

TEST(StatsPing, RepeatedEventReachesTheServerEachTime) {
  fakes::FakeFiles files;
  FakeNetwork network(files);
  const std::string url = StatsUrl("updates.test", StatsEvent::kRunScan);
  network.Serve(url, "");
  StatsPing(network, url);
  StatsPing(network, url);
  EXPECT_EQ(network.requests(), (std::vector<std::string>{url, url}));
}

}  // namespace
}  // namespace tvac::update
