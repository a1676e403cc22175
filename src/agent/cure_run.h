#pragma once

#include <string>

#include "agent/main_model.h"
#include "base/settings.h"
#include "platform/network.h"
#include "remedy/cure.h"
#include "scan/scan_result_list.h"

// One cure of the checked rows, from the cure command to the closing notice.
namespace tvac::agent {

// What a cure run needs from the main window. StartRemedy calls on the thread that
// gives the command; RunRemedy calls on the cure worker.
class CureRunHost {
 public:
  virtual ~CureRunHost() = default;
  virtual void RepaintStatus() = 0;
  virtual void RepaintResultLine() = 0;
  // The message window, modal on the calling thread; it shows `Message`.
  virtual void ShowMessage() = 0;
  // Starts a worker thread that calls RunRemedy; false when none could be started.
  virtual bool StartCureWorker() = 0;
  // Ends the main window, and so the program.
  virtual void CancelMainWindow() = 0;
};

struct CureRunContext {
  MainModel& model;
  scan::ScanResultList& results;
  remedy::CureEnv env;
  base::Settings& settings;
  platform::Network& network;
  std::string server;
};

// The notice at the end: every checked row cured, or how many were not.
std::string CureMessage(int failed);

// The cure command. While a scan or another cure works on the list it says so and
// starts nothing; otherwise it starts the cure worker.
void StartRemedy(CureRunContext& cure, CureRunHost& host);

// The worker's whole run: the cure of every checked row, the status lines and the
// notice. A row is removed only when what it names is gone.
void RunRemedy(CureRunContext& cure, CureRunHost& host);

// For the end of the program: lets the row being cured finish, waiting at most
// `limit` for the cure to stop. True when no cure works any more.
bool StopCure(MainModel& model, platform::Clock& clock, std::chrono::milliseconds limit);

}  // namespace tvac::agent
