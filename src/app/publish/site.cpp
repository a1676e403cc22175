#include "app/publish/site.h"

#include <fcntl.h>
#include <stdio.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <limits>
#include <vector>

#include "app/publish/database_check.h"
#include "app/publish/host_files.h"
#include "platform/ini.h"
#include "update/update_check.h"

namespace tvac::app::publish {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kUpdateFolder = "update";
constexpr std::string_view kDescription = "updates.ini";
constexpr std::size_t kLargestValue = platform::kIniBufferSize - 1;
constexpr std::int64_t kLargestVersion = std::numeric_limits<std::int32_t>::max();

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

std::string Concat(const fs::path& path, std::string_view suffix) {
  return path.string() + std::string(suffix);
}

// One run of PublishSite: the paths it works with and what it has to say.
class Publication {
 public:
  Publication(const SiteOptions& options, std::ostream& out, std::ostream& err)
      : options_(options), out_(out), err_(err) {}

  int Run() {
    if (!Prepare()) return 1;
    const bool published = Stage() && Swap();
    std::error_code ignored;
    fs::remove_all(staging_, ignored);
    if (!published) return 1;
    Report();
    return 0;
  }

 private:
  struct Published {
    std::string version;
    std::string name;  // in the update folder
    std::string url;
  };

  bool Fail(const std::string& reason) {
    err_ << "tvac-publish site: " << reason << "\n";
    return false;
  }
  bool Fail(const fs::path& path, std::string_view what, const std::error_code& code) {
    return Fail(path.string() + ": " + std::string(what) + ": " + code.message());
  }

  std::string Url(std::string_view name) const {
    return base_url_ + "/" + std::string(kUpdateFolder) + "/" + std::string(name);
  }

  // Everything that can be refused before the file system changes.
  bool Prepare() {
    if (options_.installer.has_value() != options_.program_version.has_value()) {
      return Fail("an installer and its version go together");
    }
    for (const auto& [what, version] :
         {std::pair{"database", &options_.database_version},
          std::pair{"program", options_.installer ? &*options_.program_version : nullptr}}) {
      if (version == nullptr) continue;
      if (const std::optional<std::string> fault = VersionFault(*version)) {
        return Fail(std::string("the ") + what + " version: " + *fault);
      }
    }
    std::string error;
    const std::optional<std::string> base = ParseBaseUrl(options_.base_url, error);
    if (!base) return Fail(error);
    base_url_ = *base;

    std::optional<std::string> database = ReadWholeFile(options_.database, error);
    if (!database) return Fail(error);
    const DatabaseReport report = CheckDatabase(*database);
    if (!report.clean()) {
      Fail(options_.database + " is not fit to publish (tvac-publish check tells more):");
      for (const std::string& problem : report.problems) err_ << "  " << problem << "\n";
      if (!report.usable()) err_ << "  the agent refuses a database without entries\n";
      return false;
    }
    if (database->size() > update::kDownloadLimit) {
      return Fail(options_.database + " is larger than the agent downloads");
    }
    database_ = std::move(*database);
    if (options_.installer) {
      std::optional<std::string> installer = ReadWholeFile(*options_.installer, error);
      if (!installer) return Fail(error);
      if (!installer->starts_with("MZ")) {
        return Fail(*options_.installer + " is not a Windows program (it does not start with MZ)");
      }
      if (installer->size() > update::kDownloadLimit) {
        return Fail(*options_.installer + " is larger than the agent downloads");
      }
      installer_ = std::move(*installer);
    }

    std::error_code code;
    tree_ = fs::absolute(options_.out, code).lexically_normal();
    if (code) return Fail(options_.out, "cannot be named", code);
    if (!tree_.has_filename()) tree_ = tree_.parent_path();
    if (tree_ == tree_.root_path()) return Fail("the tree cannot be the root folder");
    staging_ = Concat(tree_, ".new");
    aside_ = Concat(tree_, ".old");
    description_ = tree_ / kUpdateFolder / kDescription;
    if (fs::exists(aside_, code)) {
      return Fail(aside_.string() + " is left from an interrupted publication: put it back as " +
                  tree_.string() + " or remove it");
    }
    had_tree_ = fs::exists(tree_, code);
    if (had_tree_) {
      if (!fs::is_directory(tree_, code)) return Fail(tree_.string() + " is not a folder");
      if (!fs::is_empty(tree_, code) && !fs::is_regular_file(description_, code)) {
        return Fail(tree_.string() + " holds no published tree (no " + std::string(kUpdateFolder) +
                    "/" + std::string(kDescription) + "): name a new or an empty folder");
      }
      if (fs::is_regular_file(description_, code)) {
        const std::optional<std::string> text = ReadWholeFile(description_.string(), error);
        if (!text) return Fail(error);
        earlier_ = platform::IniDocument::Parse(*text);
      }
    }
    return true;
  }

  // The new tree, complete, at staging_.
  bool Stage() {
    std::error_code code;
    fs::remove_all(staging_, code);  // left by a run that was cut short
    if (code) return Fail(staging_, "cannot be cleared", code);
    if (!fs::create_directory(staging_, code)) return Fail(staging_, "cannot be made", code);
    if (had_tree_ && !LinkTree()) return false;
    update_folder_ = staging_ / kUpdateFolder;
    fs::create_directories(update_folder_, code);
    if (code) return Fail(update_folder_, "cannot be made", code);

    database_file_ = {options_.database_version, DatabaseFileName(options_.database_version), ""};
    if (!Place(database_file_, database_)) return false;
    if (options_.installer) {
      program_file_ =
          Published{*options_.program_version, InstallerFileName(*options_.program_version), ""};
      if (!Place(*program_file_, installer_)) return false;
    } else {
      KeepEarlierProgram();
    }
    WarnWhenNotNewer("PATTERN", "database", database_file_.version);
    if (program_file_) WarnWhenNotNewer("UPDATE", "program", program_file_->version);

    std::string text;
    if (program_file_) {
      text +=
          "[UPDATE]\r\nVER=" + program_file_->version + "\r\nURL=" + program_file_->url + "\r\n";
    }
    text += "[PATTERN]\r\nVER=" + database_file_.version + "\r\nURL=" + database_file_.url + "\r\n";
    for (const Published* file : {&database_file_, program_file_ ? &*program_file_ : nullptr}) {
      if (file != nullptr && file->url.size() > kLargestValue) {
        return Fail("the address " + file->url + " is longer than the " +
                    std::to_string(kLargestValue) + " bytes the agent reads");
      }
    }
    // The agent's own reading of the description must give back what was meant.
    const platform::IniDocument written = platform::IniDocument::Parse(text);
    if (written.Get("PATTERN", "VER", "0") != database_file_.version ||
        written.Get("PATTERN", "URL", "0") != database_file_.url ||
        (program_file_ && written.Get("UPDATE", "URL", "0") != program_file_->url)) {
      return Fail("the update description would not read back as written");
    }
    std::string error;
    if (!ReplaceFile((update_folder_ / kDescription).string(), text, error)) return Fail(error);
    return true;
  }

  // The earlier tree in staging_, by hard links (copies where a link cannot be made),
  // without its description, which is written anew.
  bool LinkTree() {
    std::error_code code;
    fs::permissions(staging_, fs::status(tree_).permissions(), code);
    if (code) return Fail(staging_, "cannot take the tree's permissions", code);
    const fs::path skipped = fs::path(kUpdateFolder) / kDescription;
    for (auto it = fs::recursive_directory_iterator(tree_, code);
         !code && it != fs::recursive_directory_iterator(); it.increment(code)) {
      const fs::path relative = it->path().lexically_relative(tree_);
      const fs::path target = staging_ / relative;
      const fs::file_status status = it->symlink_status(code);
      if (code) return Fail(it->path(), "cannot be read", code);
      if (relative == skipped) continue;
      if (fs::is_symlink(status)) {
        fs::copy_symlink(it->path(), target, code);
      } else if (fs::is_directory(status)) {
        fs::create_directory(target, code);
        if (!code) fs::permissions(target, status.permissions(), code);
      } else if (fs::is_regular_file(status)) {
        fs::create_hard_link(it->path(), target, code);
        if (code) fs::copy_file(it->path(), target, code);
      } else {
        return Fail(it->path().string() + " is neither a file nor a folder");
      }
      if (code) return Fail(target, "cannot be made", code);
    }
    if (code) return Fail(tree_, "cannot be read", code);
    return true;
  }

  // Puts `bytes` under the file's versioned name, unless the earlier tree has them there.
  bool Place(Published& file, const std::string& bytes) {
    file.url = Url(file.name);
    const fs::path target = update_folder_ / file.name;
    std::error_code code;
    if (fs::exists(target, code)) {
      std::string error;
      const std::optional<std::string> earlier = ReadWholeFile(target.string(), error);
      if (!earlier) return Fail(error);
      if (*earlier != bytes) {
        return Fail(file.name + " is already published with other content; a published file " +
                    "never changes, so publish this one under a new version");
      }
      unchanged_.push_back(file.name);
      return true;
    }
    std::string error;
    if (!ReplaceFile(target.string(), bytes, error)) return Fail(error);
    return true;
  }

  // Without an installer of its own, the publication keeps offering the program
  // published before, when its file is still in the tree.
  void KeepEarlierProgram() {
    if (!earlier_) return;
    const std::string version = earlier_->Get("UPDATE", "VER", "0");
    const std::string url = earlier_->Get("UPDATE", "URL", "0");
    if (update::VersionNumber(version) <= 0) return;
    const std::string name = url.substr(url.rfind('/') + 1);
    std::error_code code;
    if (name.empty() || name == "." || name == ".." ||
        !fs::is_regular_file(update_folder_ / name, code)) {
      err_ << "tvac-publish site: warning: the program " << version << " published before is "
           << "no longer offered: its file " << url << " is not in the tree\n";
      return;
    }
    program_file_ = Published{version, name, Url(name)};
    kept_program_ = true;
  }

  void WarnWhenNotNewer(std::string_view section, std::string_view what,
                        const std::string& version) {
    if (!earlier_) return;
    const std::string before = earlier_->Get(section, "VER", "0");
    if (update::VersionNumber(version) > update::VersionNumber(before)) return;
    if (section == "UPDATE" && kept_program_) return;
    err_ << "tvac-publish site: warning: the " << what << " version " << version << " ("
         << update::VersionNumber(version) << " without its dots) is not newer than " << before
         << " (" << update::VersionNumber(before) << ") published before: agents that have "
         << "that one will not fetch this one\n";
  }

  // The new tree takes the place of the old one in one step.
  bool Swap() {
    if (!had_tree_) {
      if (std::rename(staging_.c_str(), tree_.c_str()) == 0) return true;
      return Fail(tree_.string() + ": cannot be put in place: " + std::strerror(errno));
    }
#ifdef RENAME_EXCHANGE
    if (renameat2(AT_FDCWD, staging_.c_str(), AT_FDCWD, tree_.c_str(), RENAME_EXCHANGE) == 0) {
      return true;  // staging_ now holds the earlier tree, which Run removes
    }
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) {
      return Fail(tree_.string() + ": cannot be swapped: " + std::strerror(errno));
    }
#endif
    // Where the two cannot be exchanged at once, the old tree steps aside first.
    if (std::rename(tree_.c_str(), aside_.c_str()) != 0) {
      return Fail(tree_.string() + ": cannot be moved aside: " + std::strerror(errno));
    }
    if (std::rename(staging_.c_str(), tree_.c_str()) != 0) {
      const int saved = errno;
      std::rename(aside_.c_str(), tree_.c_str());
      return Fail(tree_.string() + ": cannot be put in place: " + std::strerror(saved));
    }
    std::error_code ignored;
    fs::remove_all(aside_, ignored);
    return true;
  }

  void Report() {
    out_ << "published " << (tree_ / kUpdateFolder / kDescription).string() << "\n";
    out_ << "  database " << database_file_.version << ": " << database_file_.url << "\n";
    if (program_file_) {
      out_ << "  program " << program_file_->version << ": " << program_file_->url
           << (kept_program_ ? " (as published before)" : "") << "\n";
    }
    for (const std::string& name : unchanged_) {
      out_ << "  " << name << " was published before with the same content\n";
    }
  }

  const SiteOptions& options_;
  std::ostream& out_;
  std::ostream& err_;
  std::string base_url_;
  std::string database_;
  std::string installer_;
  fs::path tree_, staging_, aside_, description_, update_folder_;
  bool had_tree_ = false;
  std::optional<platform::IniDocument> earlier_;  // the description published before
  Published database_file_;
  std::optional<Published> program_file_;
  bool kept_program_ = false;
  std::vector<std::string> unchanged_;
};

}  // namespace

std::optional<std::string> VersionFault(std::string_view version) {
  const std::string quoted = "\"" + std::string(version) + "\"";
  bool dotted = true, digit_last = false;
  std::string digits;
  for (const char c : version) {
    if (IsDigit(c)) {
      digits += c;
    } else if (c != '.' || !digit_last) {
      dotted = false;
    }
    digit_last = IsDigit(c);
  }
  if (!dotted || !digit_last) {
    return quoted + " is not dotted decimal (digits with single dots between them, as 1.0.6)";
  }
  const std::string significant =
      digits.substr(std::min(digits.find_first_not_of('0'), digits.size()));
  if (significant.empty()) {
    return quoted + " gives 0 without its dots: never newer than an agent without a version";
  }
  if (significant.size() > 10 || std::stoll(significant) > kLargestVersion) {
    return quoted + " gives " + significant + " without its dots, more than the 2147483647 " +
           "the agent can compare";
  }
  return std::nullopt;
}

std::optional<std::string> ParseBaseUrl(std::string_view url, std::string& error) {
  constexpr std::string_view kScheme = "http://";
  const std::string quoted = "\"" + std::string(url) + "\"";
  if (!url.starts_with(kScheme)) {
    error =
        "the base URL " + quoted + " does not start with http:// (the agent fetches plain http)";
    return std::nullopt;
  }
  std::string_view rest = url.substr(kScheme.size());
  if (rest.ends_with('/')) rest.remove_suffix(1);
  const std::size_t colon = rest.find(':');
  const std::string_view host = rest.substr(0, colon);
  const bool host_ok = !host.empty() && host.front() != '.' && host.front() != '-' &&
                       std::all_of(host.begin(), host.end(), [](char c) {
                         return IsDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                                c == '.' || c == '-';
                       });
  bool port_ok = true;
  if (colon != std::string_view::npos) {
    const std::string_view port = rest.substr(colon + 1);
    port_ok = !port.empty() && port.size() <= 5 && std::all_of(port.begin(), port.end(), IsDigit) &&
              std::stoi(std::string(port)) >= 1 && std::stoi(std::string(port)) <= 65535;
  }
  if (!host_ok || !port_ok) {
    error = "the base URL " + quoted + " is not http://HOST or http://HOST:PORT";
    return std::nullopt;
  }
  return std::string(url.substr(0, kScheme.size() + rest.size()));
}

std::string DatabaseFileName(std::string_view version) {
  return "pattern-" + std::string(version) + ".ini";
}

std::string InstallerFileName(std::string_view version) {
  return "tvac-setup-" + std::string(version) + ".exe";
}

int PublishSite(const SiteOptions& options, std::ostream& out, std::ostream& err) {
  return Publication(options, out, err).Run();
}

}  // namespace tvac::app::publish
