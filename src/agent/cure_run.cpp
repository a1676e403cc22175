#include "agent/cure_run.h"

#include "base/texts.h"
#include "update/stats.h"

namespace tvac::agent {
namespace {

using base::Setting;
using scan::Column;

// The result list as the cure walks it.
class ResultRows : public remedy::CureRows {
 public:
  ResultRows(scan::ScanResultList& results, CureRunHost& host) : results_(results), host_(host) {}

  std::size_t Count() const override { return results_.Count(); }

  remedy::CureRow Row(std::size_t index) const override {
    const std::optional<scan::ScanItem> item = results_.Row(index);
    if (!item) return {};
    const std::string& category = (*item)[Column::kCategory];
    return {.category = category == scan::kCategoryMalware    ? remedy::RowCategory::kMalware
                        : category == scan::kCategoryRegistry ? remedy::RowCategory::kTrace
                                                              : remedy::RowCategory::kOther,
            .checked = (*item)[Column::kCheckState] == scan::kChecked,
            .location = (*item)[Column::kLocation],
            .misc1 = (*item)[Column::kMisc1],
            .misc2 = (*item)[Column::kMisc2]};
  }

  void RemoveCured(std::size_t index) override {
    results_.RemoveCured(index);
    host_.RepaintResultLine();
  }

 private:
  scan::ScanResultList& results_;
  CureRunHost& host_;
};

void SetStatus(CureRunContext& cure, CureRunHost& host, std::string_view text) {
  cure.model.SetStatus(std::string(text));
  host.RepaintStatus();
}

void Notice(CureRunContext& cure, CureRunHost& host, std::string_view text) {
  cure.settings.Write(Setting::kMessage, text);
  host.ShowMessage();
}

}  // namespace

std::string CureMessage(int failed) {
  if (failed == 0) return std::string(texts::kCuredAll);
  return std::string(texts::kCureFailedPrefix) + std::to_string(failed) +
         std::string(texts::kCureFailedSuffix);
}

void StartRemedy(CureRunContext& cure, CureRunHost& host) {
  // Each command marks its own work before it looks at the other's, so that a scan
  // and a cure started at the same moment never both go ahead.
  if (cure.model.curing.exchange(true)) {
    Notice(cure, host, texts::kCureRunning);
    return;
  }
  if (cure.model.scanning) {
    cure.model.curing = false;
    Notice(cure, host, texts::kCureScanRunning);
    return;
  }
  if (!host.StartCureWorker()) {
    cure.model.curing = false;
    host.CancelMainWindow();
  }
}

void RunRemedy(CureRunContext& cure, CureRunHost& host) {
  if (cure.model.online) {
    update::StatsPing(cure.network, update::StatsUrl(cure.server, update::StatsEvent::kRunRemedy));
  }
  if (cure.results.Count() < 1) {
    cure.model.curing = false;
    return;
  }
  SetStatus(cure, host, texts::kCuring);

  ResultRows rows(cure.results, host);
  const remedy::CureTally tally = remedy::CureCheckedRows(cure.env, rows, cure.model.ending);
  if (tally.stopped) {
    cure.model.curing = false;
    return;
  }
  SetStatus(cure, host, texts::kCureComplete);
  cure.settings.Write(Setting::kMessage, CureMessage(tally.failed));
  // The list is the user's again while the notice is read.
  cure.model.curing = false;
  host.ShowMessage();
  if (!cure.model.scanning) SetStatus(cure, host, texts::kStatusAfterCure);
}

bool StopCure(MainModel& model, platform::Clock& clock, std::chrono::milliseconds limit) {
  model.ending = true;
  constexpr std::chrono::milliseconds kStep{50};
  for (std::chrono::milliseconds waited{0}; model.curing && waited < limit; waited += kStep) {
    clock.Wait(kStep);
  }
  return !model.curing;
}

}  // namespace tvac::agent
