#pragma once

#include <cstdint>

#include "platform/network.h"
#include "update/update_check.h"

// The update dialog's download: it fetches the pending program installer or
// database, records the new version and tells the user how it went.
namespace tvac::update {

// What the worker needs from the update dialog and the main window. Every call is
// made on the worker's thread.
class UpdateDialogPort {
 public:
  virtual ~UpdateDialogPort() = default;
  // 0 to 100; the dialog moves its bar and shows the number.
  virtual void SetProgress(int percent) = 0;
  virtual void CloseDialog() = 0;
  // Shows the message window modally on the calling thread; it displays `Message`.
  virtual void ShowMessage() = 0;
  // Asks the main window to reload its database date line a second from now.
  virtual void ReloadDbInfoSoon() = 0;
};

// The share of a download done, in whole percent truncated toward zero; 0 while the
// size is unknown, and never above 100.
int DownloadPercent(std::uint64_t done, std::uint64_t total);

// Turns download progress into the dialog's percentage.
class PercentReporter : public platform::DownloadProgress {
 public:
  explicit PercentReporter(UpdateDialogPort& port) : port_(port) {}
  void OnProgress(std::uint64_t done, std::uint64_t total) override {
    port_.SetProgress(DownloadPercent(done, total));
  }

 private:
  UpdateDialogPort& port_;
};

enum class UpdateOutcome {
  kNothingPending,     // no kind was stored; nothing was downloaded
  kProgramInstalled,   // the installer arrived and was started
  kDatabaseInstalled,  // the new database is in place
  kFailed,             // nothing changed; the kind stays pending
};

// The worker's whole run, from the "update_ok" request to the closing message.
UpdateOutcome RunUpdate(UpdateEnv& env, UpdateDialogPort& port);

}  // namespace tvac::update
