#pragma once

#include <string>
#include <string_view>

#include "platform/network.h"

// Usage events, each one plain GET of a fixed address on the update host.
namespace tvac::update {

enum class StatsEvent {
  kAgentRun,      // the notifier popup opened
  kAgentOk,       // the popup's open area was clicked
  kRunExe,        // the main window started
  kUpdateRun,     // the first start of a day
  kRunStop,       // a running scan was stopped
  kRunScan,       // a scan run started
  kRunRemedy,     // a cure run started
  kUpdateExe,     // the update command was chosen
  kUpdateCancel,  // the update dialog was closed or cancelled
  kUpdateOk,      // an update download started
};

// "http://" + server + the event's fixed path and query, for example
// "/request/count.php?mode=run_scan&key=talv".
std::string StatsUrl(std::string_view server, StatsEvent event);

// "http://" + server + "/update/updates.ini".
std::string UpdatesUrl(std::string_view server);

// Sends one statistics request and forgets it: nothing it meets reaches the caller,
// and the network's time-outs bound how long it takes.
void StatsPing(platform::Network& network, std::string_view url);

}  // namespace tvac::update
