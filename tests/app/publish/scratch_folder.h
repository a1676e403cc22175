#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/publish/publish_command.h"

namespace tvac::app::publish::test_support {

// A fresh folder under the system's temporary folder, removed with everything in it
// when the test ends.
class ScratchFolder {
 public:
  ScratchFolder() {
    std::string name = (std::filesystem::temp_directory_path() / "tvac-publish-XXXXXX").string();
    if (mkdtemp(name.data()) == nullptr) ADD_FAILURE() << "no scratch folder";
    path_ = name;
  }
  ~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  std::string Path(const std::string& name) const { return (path_ / name).string(); }

  std::string Write(const std::string& name, const std::string& bytes) const {
    const std::filesystem::path file = path_ / name;
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << bytes;
    return file.string();
  }

  // Every file and folder below, by its relative path, with the bytes of each file.
  std::vector<std::string> Snapshot() const {
    std::vector<std::string> entries;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(path_)) {
      std::string line = entry.path().lexically_relative(path_).string();
      if (entry.is_regular_file()) line += " = " + Read(entry.path().string());
      entries.push_back(line);
    }
    std::sort(entries.begin(), entries.end());
    return entries;
  }

  static std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return "<missing>";
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
  }

 private:
  std::filesystem::path path_;
};

// One run of the tool with ARGS: its exit status and what it printed.
struct Outcome {
  int status;
  std::string out, err;
};

inline Outcome RunCaptured(const std::vector<std::string>& args) {
  std::ostringstream out, err;
  const int status = RunPublish(args, out, err);
  return {status, out.str(), err.str()};
}

}  // namespace tvac::app::publish::test_support
