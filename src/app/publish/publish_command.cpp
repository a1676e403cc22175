#include "app/publish/publish_command.h"

#include <filesystem>
#include <map>
#include <optional>

#include "app/publish/cp949.h"
#include "app/publish/database_check.h"
#include "app/publish/database_writer.h"
#include "app/publish/host_files.h"
#include "app/publish/signature_list.h"
#include "app/publish/site.h"

namespace tvac::app::publish {
namespace {

constexpr std::string_view kUsage =
    "usage:\n"
    "  tvac-publish build SIGNATURES OUT.ini\n"
    "  tvac-publish check PATTERN.ini\n"
    "  tvac-publish site --db PATTERN.ini --db-version V [--installer SETUP.exe --version V]\n"
    "                    --base-url http://HOST[:PORT] OUT_DIR\n";

int Usage(std::ostream& err, std::string_view why) {
  err << "tvac-publish: " << why << "\n" << kUsage;
  return kExitUsage;
}

int Build(const std::string& list_path, const std::string& out_path, std::ostream& out,
          std::ostream& err) {
  std::error_code code;
  if (std::filesystem::equivalent(list_path, out_path, code)) {
    err << "tvac-publish build: the database would overwrite its own list\n";
    return kExitInput;
  }
  std::string error;
  const std::optional<std::string> content = ReadWholeFile(list_path, error);
  if (!content) {
    err << "tvac-publish build: " << error << "\n";
    return kExitInput;
  }
  std::vector<Fault> faults;
  const SignatureList list = ParseSignatureList(*content, faults);
  const std::string database = WriteDatabase(list, faults);
  if (!faults.empty()) {
    for (const std::string& line : FormatFaults(faults, list_path)) err << line << "\n";
    err << "tvac-publish build: nothing written\n";
    return kExitInput;
  }
  if (!ReplaceFile(out_path, database, error)) {
    err << "tvac-publish build: " << error << "\n";
    return kExitInput;
  }
  std::size_t files = 0, regs = 0;
  for (const ListedEntry& entry : list.entries) {
    files += entry.files.size();
    regs += entry.regs.size();
  }
  out << out_path << ": " << list.entries.size() << " entries, " << files << " file rules, " << regs
      << " registry rules, dated " << FromCp949(list.date) << "\n";
  return kExitOk;
}

int Check(const std::string& path, std::ostream& out, std::ostream& err) {
  std::string error;
  const std::optional<std::string> content = ReadWholeFile(path, error);
  if (!content) {
    err << "tvac-publish check: " << error << "\n";
    return kExitInput;
  }
  const DatabaseReport report = CheckDatabase(*content);
  out << FormatReport(report, path);
  return report.clean() ? kExitOk : kExitInput;
}

int Site(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  std::map<std::string, std::string> values;
  std::vector<std::string> positional;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (!arg.starts_with("--")) {
      positional.push_back(arg);
      continue;
    }
    if (arg != "--db" && arg != "--db-version" && arg != "--installer" && arg != "--version" &&
        arg != "--base-url") {
      return Usage(err, "site: unknown option " + arg);
    }
    if (i + 1 == args.size()) return Usage(err, "site: " + arg + " needs a value");
    if (!values.emplace(arg, args[++i]).second) return Usage(err, "site: " + arg + " twice");
  }
  for (const char* required : {"--db", "--db-version", "--base-url"}) {
    if (!values.contains(required))
      return Usage(err, std::string("site: ") + required + " is missing");
  }
  if (values.contains("--installer") != values.contains("--version")) {
    return Usage(err, "site: --installer and --version go together");
  }
  if (positional.size() != 1) return Usage(err, "site: name one output folder");
  SiteOptions options{values["--db"], values["--db-version"], std::nullopt,
                      std::nullopt,   values["--base-url"],   positional[0]};
  if (values.contains("--installer")) {
    options.installer = values["--installer"];
    options.program_version = values["--version"];
  }
  return PublishSite(options, out, err) == 0 ? kExitOk : kExitInput;
}

}  // namespace

int RunPublish(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
    out << kUsage;
    return kExitOk;
  }
  if (args.empty()) return Usage(err, "name a command");
  const std::string& command = args[0];
  const std::vector<std::string> rest(args.begin() + 1, args.end());
  if (command == "build") {
    if (rest.size() != 2) return Usage(err, "build takes a signature list and an output file");
    return Build(rest[0], rest[1], out, err);
  }
  if (command == "check") {
    if (rest.size() != 1) return Usage(err, "check takes one database");
    return Check(rest[0], out, err);
  }
  if (command == "site") return Site(rest, out, err);
  return Usage(err, "unknown command " + command);
}

}  // namespace tvac::app::publish
