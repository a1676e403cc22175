#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/settings.h"
#include "fakes/fake_clock.h"
#include "fakes/fake_files.h"
#include "fakes/fake_network.h"
#include "fakes/fake_processes.h"
#include "fakes/fake_registry.h"
#include "fakes/pattern_builder.h"
#include "scan/pattern_database.h"
#include "update/update_check.h"
#include "update/update_worker.h"

// Everything the update routines talk to, in memory. The network, the shell and the
// windows write one shared log, so a test can see what happened in which order:
//   "request URL", "drop URL", "download URL > PATH"   the network
//   "dialog", "sound PATH"                             the main window's side
//   "close", "reload"                                  the update dialog's side
//   "message TEXT"                                     a message window showing TEXT
//   "open FILE"                                        the shell
namespace tvac::fakes {

using CallLog = std::vector<std::string>;

class LoggingNetwork : public FakeNetwork {
 public:
  LoggingNetwork(FakeFiles& files, CallLog& log) : FakeNetwork(files), log_(log) {}

  bool Request(std::string_view url) override {
    log_.push_back("request " + std::string(url));
    return FakeNetwork::Request(url);
  }
  void DropCached(std::string_view url) override {
    log_.push_back("drop " + std::string(url));
    FakeNetwork::DropCached(url);
  }
  bool Download(std::string_view url, std::string_view path, std::uint64_t limit,
                platform::DownloadProgress* progress) override {
    log_.push_back("download " + std::string(url) + " > " + std::string(path));
    limits.push_back(limit);
    return FakeNetwork::Download(url, path, limit, progress);
  }

  std::vector<std::uint64_t> limits;  // of every Download call

 private:
  CallLog& log_;
};

class LoggingShell : public FakeShell {
 public:
  explicit LoggingShell(CallLog& log) : log_(log) {}
  bool Open(std::string_view file, std::string_view parameters,
            platform::ShowWindow show) override {
    log_.push_back("open " + std::string(file));
    return FakeShell::Open(file, parameters, show);
  }

 private:
  CallLog& log_;
};

// The message window displays the `Message` setting as it is when the window opens.
inline std::string MessageShown(const base::Settings& settings) {
  return "message " + settings.Read(base::Setting::kMessage);
}

class RecordingUpdateUi : public update::UpdateCheckUi {
 public:
  RecordingUpdateUi(const base::Settings& settings, CallLog& log)
      : settings_(settings), log_(log) {}
  void OpenUpdateDialog() override { log_.push_back("dialog"); }
  void ShowMessage() override { log_.push_back(MessageShown(settings_)); }
  void PlayWave(std::string_view path) override { log_.push_back("sound " + std::string(path)); }

 private:
  const base::Settings& settings_;
  CallLog& log_;
};

class RecordingDialogPort : public update::UpdateDialogPort {
 public:
  RecordingDialogPort(const base::Settings& settings, CallLog& log)
      : settings_(settings), log_(log) {}
  void SetProgress(int percent) override { percents.push_back(percent); }
  void CloseDialog() override { log_.push_back("close"); }
  void ShowMessage() override { log_.push_back(MessageShown(settings_)); }
  void ReloadDbInfoSoon() override { log_.push_back("reload"); }

  std::vector<int> percents;

 private:
  const base::Settings& settings_;
  CallLog& log_;
};

// A program installed in "C:\Program Files\Talvo\" that talks to "updates.test".
struct FakeUpdateEnv {
  static constexpr char kAppFolder[] = "C:\\Program Files\\Talvo";
  static constexpr char kServer[] = "updates.test";

  FakeUpdateEnv() { files.AddFolder(kAppFolder); }

  // The file names in the program folder, sorted.
  std::vector<std::string> AppFolder() {
    std::vector<platform::FolderEntry> entries;
    files.ListFolder(kAppFolder, entries);
    std::vector<std::string> names;
    for (const platform::FolderEntry& entry : entries) names.push_back(entry.name);
    std::sort(names.begin(), names.end());
    return names;
  }

  // The log entries of fetching `url` into the program folder's `target`.
  static std::vector<std::string> Fetch(std::string_view url, std::string_view target) {
    const std::string path = std::string(kAppFolder) + "\\" + std::string(target) + ".download";
    return {"drop " + std::string(url), "download " + std::string(url) + " > " + path};
  }

  CallLog log;
  FakeFiles files;
  FakeRegistry registry;
  LoggingNetwork network{files, log};
  FakeClock clock;
  LoggingShell shell{log};
  base::Settings settings{registry};
  update::UpdateEnv env{files,    network,
                        clock,    shell,
                        settings, std::string(kAppFolder) + "\\",
                        kServer,  scan::IsUsableDatabase};
  RecordingUpdateUi ui{settings, log};
  RecordingDialogPort port{settings, log};
};

inline constexpr char kDatabaseUrl[] = "http://updates.test/files/pattern.ini";
inline constexpr char kInstallerUrl[] = "http://updates.test/files/tvac_setup.exe";

// A database of one entry whose information line is `info`.
inline std::string UsableDatabase(std::string info) {
  return PatternBuilder()
      .Entry("Trojan.Test", "test trojan")
      .File(RuleText({"C:\\bad.exe", "default", "x"}))
      .DbInfo(std::move(info))
      .Build();
}

// An update description offering `program` and `database` versions at the given URLs.
inline std::string Description(std::string_view program, std::string_view database,
                               std::string_view program_url = "0",
                               std::string_view database_url = "0") {
  return "[UPDATE]\r\nVER=" + std::string(program) + "\r\nURL=" + std::string(program_url) +
         "\r\n[PATTERN]\r\nVER=" + std::string(database) + "\r\nURL=" + std::string(database_url) +
         "\r\n";
}

}  // namespace tvac::fakes
