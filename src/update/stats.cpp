#include "update/stats.h"

#include <array>

namespace tvac::update {

namespace {

// In the order of the StatsEvent enumeration.
constexpr std::array<std::string_view, 10> kStatsPaths = {
    "/request/count.php?mode=agent_run&key=talv",     "/request/count.php?mode=agent_ok&key=talv",
    "/request/count.php?mode=run_exe&key=talv",       "/request/count.php?mode=update_run&key=talv",
    "/request/count.php?mode=run_stop&key=talv",      "/request/count.php?mode=run_scan&key=talv",
    "/request/count.php?mode=run_remedy&key=talv",    "/request/count.php?mode=update_exe&key=talv",
    "/request/count.php?mode=update_cancel&key=talv", "/request/count.php?mode=update_ok&key=talv",
};
static_assert(static_cast<std::size_t>(StatsEvent::kUpdateOk) + 1 == kStatsPaths.size());

std::string HttpUrl(std::string_view server, std::string_view path) {
  std::string url = "http://";
  url += server;
  url += path;
  return url;
}

}  // namespace

std::string StatsUrl(std::string_view server, StatsEvent event) {
  return HttpUrl(server, kStatsPaths[static_cast<std::size_t>(event)]);
}

std::string UpdatesUrl(std::string_view server) {
  return HttpUrl(server, "/update/updates.ini");
}

void StatsPing(platform::Network& network, std::string_view url) {
  // Whatever happened, the sender carries on: the answer tells nothing it needs.
  static_cast<void>(network.Request(url));
}

}  // namespace tvac::update
