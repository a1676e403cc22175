#pragma once

#include <atomic>

#include "fakes/fake_files.h"
#include "fakes/fake_registry.h"
#include "fakes/recording_display.h"
#include "scan/scan_environment.h"

namespace tvac::fakes {

// Everything a scan works with, in memory, logged on as "tester".
struct FakeMachine {
  FakeFiles files;
  FakeRegistry registry;
  scan::ScanResultList results;
  RecordingDisplay display;
  std::atomic<bool> scanning{true};
  scan::ScanEnvironment env{files, registry, results, display, scanning, "tester"};
};

}  // namespace tvac::fakes
