#include "app/publish/site.h"

#include <gtest/gtest.h>

#include <sstream>

#include "app/publish/publish_command.h"
#include "app/publish/scratch_folder.h"
#include "fakes/fake_files.h"
#include "platform/ini.h"
#include "update/update_check.h"

namespace tvac::app::publish {
namespace {

using test_support::Outcome;
using test_support::ScratchFolder;

constexpr const char* kList = "date 2026.12.10\nentry n\ninfo i\nfile p default 파일\n";
constexpr const char* kOtherList = "date 2026.12.11\nentry m\ninfo j\nfile q default 파일\n";

class SiteTest : public ::testing::Test {
 protected:
  void SetUp() override {
    database_ = Built("db.ini", kList);
    installer_ = folder_.Write("setup.exe", "MZ the installer");
  }

  std::string Built(const std::string& name, const std::string& list) {
    const std::string list_file = folder_.Write(name + ".txt", list);
    std::ostringstream out, err;
    EXPECT_EQ(RunPublish({"build", list_file, folder_.Path(name)}, out, err), kExitOk) << err.str();
    return folder_.Path(name);
  }

  Outcome Site(std::vector<std::string> args) {
    args.insert(args.begin(), "site");
    return test_support::RunCaptured(args);
  }
  Outcome Publish(const std::string& db_version, bool with_installer = false,
                  const std::string& program_version = "3.8.16.54") {
    std::vector<std::string> args = {"--db",     database_,    "--db-version",
                                     db_version, "--base-url", "http://127.0.0.1:8080/"};
    if (with_installer) {
      args.insert(args.end(), {"--installer", installer_, "--version", program_version});
    }
    args.push_back(site_);
    return Site(args);
  }

  std::string InTree(const std::string& name) { return ScratchFolder::Read(site_ + "/" + name); }

  // The description as the agent reads it after downloading it into its folder.
  std::string Described(std::string_view section, std::string_view key) {
    fakes::FakeFiles files;
    files.AddFile("C:\\Program Files\\Talvo\\updates.ini", InTree("update/updates.ini"));
    return platform::ReadIniString(files, "C:\\Program Files\\Talvo\\updates.ini", section, key,
                                   "0");
  }

  ScratchFolder folder_;
  const std::string site_ = folder_.Path("site");
  std::string database_;
  std::string installer_;
};

TEST_F(SiteTest, TheAgentReadsTheVersionsAndAddressesOfThePublishedFiles) {
  const Outcome run = Publish("1.0.6", true);
  ASSERT_EQ(run.status, kExitOk) << run.err;
  EXPECT_EQ(run.err, "");

  EXPECT_EQ(Described("PATTERN", "VER"), "1.0.6");
  EXPECT_EQ(update::VersionNumber(Described("PATTERN", "VER")), 106);
  EXPECT_EQ(Described("PATTERN", "URL"), "http://127.0.0.1:8080/update/pattern-1.0.6.ini");
  EXPECT_EQ(update::VersionNumber(Described("UPDATE", "VER")), 381654);
  EXPECT_EQ(Described("UPDATE", "URL"), "http://127.0.0.1:8080/update/tvac-setup-3.8.16.54.exe");
  EXPECT_EQ(update::DecidePending(381653, update::VersionNumber(Described("UPDATE", "VER")), 105,
                                  update::VersionNumber(Described("PATTERN", "VER"))),
            update::PendingKind::kProgram);

  // Each address names a file of the tree with the bytes published, and nothing else is left.
  EXPECT_EQ(InTree("update/pattern-1.0.6.ini"), ScratchFolder::Read(database_));
  EXPECT_EQ(InTree("update/tvac-setup-3.8.16.54.exe"), "MZ the installer");
  std::vector<std::string> names;
  for (const std::string& entry : folder_.Snapshot())
    names.push_back(entry.substr(0, entry.find(" = ")));
  EXPECT_EQ(names, (std::vector<std::string>{"db.ini", "db.ini.txt", "setup.exe", "site",
                                             "site/update", "site/update/pattern-1.0.6.ini",
                                             "site/update/tvac-setup-3.8.16.54.exe",
                                             "site/update/updates.ini"}));
}

TEST_F(SiteTest, ANewPublicationKeepsWhatAgentsMayStillFetch) {
  ASSERT_EQ(Publish("1.0.6", true).status, kExitOk);
  folder_.Write("site/index.html", "the deployer's own page");
  database_ = Built("newer.ini", kOtherList);

  const Outcome run = Publish("1.0.7");
  ASSERT_EQ(run.status, kExitOk) << run.err;
  EXPECT_EQ(Described("PATTERN", "VER"), "1.0.7");
  EXPECT_EQ(Described("PATTERN", "URL"), "http://127.0.0.1:8080/update/pattern-1.0.7.ini");
  EXPECT_EQ(InTree("update/pattern-1.0.7.ini"), ScratchFolder::Read(database_));
  // Without an installer of its own, the program published before stays offered.
  EXPECT_EQ(Described("UPDATE", "VER"), "3.8.16.54");
  EXPECT_NE(run.out.find("program 3.8.16.54: http://127.0.0.1:8080/update/"
                         "tvac-setup-3.8.16.54.exe (as published before)"),
            std::string::npos)
      << run.out;
  // The earlier database, for an agent that read the earlier description a moment ago.
  EXPECT_EQ(InTree("update/pattern-1.0.6.ini"), ScratchFolder::Read(folder_.Path("db.ini")));
  EXPECT_EQ(InTree("index.html"), "the deployer's own page");
  EXPECT_EQ(ScratchFolder::Read(site_ + ".new"), "<missing>");
  EXPECT_EQ(ScratchFolder::Read(site_ + ".old"), "<missing>");
  EXPECT_FALSE(std::filesystem::exists(site_ + ".new"));
  EXPECT_FALSE(std::filesystem::exists(site_ + ".old"));

  // The same files again change nothing; an older version is published with a warning.
  const Outcome again = Publish("1.0.7");
  EXPECT_EQ(again.status, kExitOk);
  EXPECT_NE(again.out.find("pattern-1.0.7.ini was published before with the same content"),
            std::string::npos);
  database_ = folder_.Path("db.ini");
  const Outcome older = Publish("1.0.5");
  EXPECT_EQ(older.status, kExitOk);
  EXPECT_NE(older.err.find("warning: the database version 1.0.5 (105 without its dots) is not "
                           "newer than 1.0.7 (107) published before"),
            std::string::npos)
      << older.err;
}

TEST_F(SiteTest, ARefusedPublicationLeavesTheTreeAsItWas) {
  ASSERT_EQ(Publish("1.0.6", true).status, kExitOk);
  const std::string other = Built("other.ini", kOtherList);
  const std::string unusable = folder_.Write("unusable.ini", "[TotalCount]\r\nCount=0\r\n");
  const std::string cut = folder_.Write(
      "cut.ini", ScratchFolder::Read(database_) + "[DeziRiv2]\r\nName=" + std::string(300, 'Q'));
  const std::string not_a_program = folder_.Write("setup.txt", "an installer that is no program");
  const auto before = folder_.Snapshot();

  const struct {
    std::vector<std::string> args;
    std::string message;  // the first line of what is said
  } cases[] = {
      {{"--db", database_, "--db-version", "1.0.x", "--base-url", "http://h", site_},
       "the database version: \"1.0.x\" is not dotted decimal (digits with single dots between "
       "them, as 1.0.6)"},
      {{"--db", database_, "--db-version", "2147.483.648", "--base-url", "http://h", site_},
       "the database version: \"2147.483.648\" gives 2147483648 without its dots, more than the "
       "2147483647 the agent can compare"},
      {{"--db", database_, "--db-version", "0.0", "--base-url", "http://h", site_},
       "the database version: \"0.0\" gives 0 without its dots: never newer than an agent "
       "without a version"},
      {{"--db", database_, "--db-version", "1.0.7", "--installer", installer_, "--version", "3.8.",
        "--base-url", "http://h", site_},
       "the program version: \"3.8.\" is not dotted decimal (digits with single dots between "
       "them, as 1.0.6)"},
      {{"--db", database_, "--db-version", "1.0.7", "--base-url", "https://h", site_},
       "the base URL \"https://h\" does not start with http:// (the agent fetches plain http)"},
      {{"--db", database_, "--db-version", "1.0.7", "--base-url", "http://h/mirror", site_},
       "the base URL \"http://h/mirror\" is not http://HOST or http://HOST:PORT"},
      {{"--db", unusable, "--db-version", "1.0.7", "--base-url", "http://h", site_},
       unusable + " is not fit to publish (tvac-publish check tells more):"},
      {{"--db", cut, "--db-version", "1.0.7", "--base-url", "http://h", site_},
       cut + " is not fit to publish (tvac-publish check tells more):"},
      {{"--db", folder_.Path("absent.ini"), "--db-version", "1.0.7", "--base-url", "http://h",
        site_},
       folder_.Path("absent.ini") + ": cannot be read: No such file or directory"},
      {{"--db", database_, "--db-version", "1.0.7", "--installer", not_a_program, "--version",
        "3.8.16.55", "--base-url", "http://h", site_},
       not_a_program + " is not a Windows program (it does not start with MZ)"},
      {{"--db", other, "--db-version", "1.0.6", "--base-url", "http://h", site_},
       "pattern-1.0.6.ini is already published with other content; a published file never "
       "changes, so publish this one under a new version"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    const Outcome run = Site(c.args);
    EXPECT_EQ(run.status, kExitInput);
    EXPECT_EQ(run.err.substr(0, run.err.find('\n')), "tvac-publish site: " + c.message);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(folder_.Snapshot(), before);
  }
  const Outcome cut_run =
      Site({"--db", cut, "--db-version", "1.0.7", "--base-url", "http://h", site_});
  EXPECT_NE(cut_run.err.find("  [DeziRiv2] after Count=1: the agent never reads it\n"),
            std::string::npos)
      << cut_run.err;
}

TEST_F(SiteTest, AFolderThatHoldsSomethingElseIsNotReplaced) {
  folder_.Write("site/notes.txt", "not a published tree");
  const auto before = folder_.Snapshot();
  const Outcome run = Publish("1.0.6");
  EXPECT_EQ(run.status, kExitInput);
  EXPECT_EQ(run.err, "tvac-publish site: " + site_ +
                         " holds no published tree (no update/updates.ini): name a new or an "
                         "empty folder\n");
  EXPECT_EQ(folder_.Snapshot(), before);
}

TEST_F(SiteTest, ATreeLeftAsideByAnInterruptedPublicationIsNotLost) {
  ASSERT_EQ(Publish("1.0.6").status, kExitOk);
  std::filesystem::rename(site_, site_ + ".old");
  const auto before = folder_.Snapshot();
  const Outcome run = Publish("1.0.7");
  EXPECT_EQ(run.status, kExitInput);
  EXPECT_EQ(run.err, "tvac-publish site: " + site_ + ".old is left from an interrupted " +
                         "publication: put it back as " + site_ + " or remove it\n");
  EXPECT_EQ(folder_.Snapshot(), before);
}

TEST(VersionFault, AcceptsWhatTheAgentComparesAsAPositiveNumber) {
  const struct {
    const char* version;
    std::int32_t number;
  } accepted[] = {{"1", 1},
                  {"1.0.6", 106},
                  {"3.8.16.53", 381653},
                  {"0.1", 1},
                  {"007.1", 71},
                  {"2147.483.647", 2147483647},
                  {"0002147483647", 2147483647}};
  for (const auto& c : accepted) {
    EXPECT_EQ(VersionFault(c.version), std::nullopt) << c.version;
    EXPECT_EQ(update::VersionNumber(c.version), c.number) << c.version;
  }
  for (const char* refused : {"", ".", "1.", ".1", "1..2", "1.a", " 1", "+1", "-1", "1,0", "0",
                              "0.0.0", "2147483648", "21.47483648", "99999999999"}) {
    EXPECT_NE(VersionFault(refused), std::nullopt) << refused;
  }
}

TEST(ParseBaseUrl, TakesAPlainHttpHostWithAnOptionalPort) {
  std::string error;
  EXPECT_EQ(ParseBaseUrl("http://h", error), "http://h");
  EXPECT_EQ(ParseBaseUrl("http://127.0.0.1:8080/", error), "http://127.0.0.1:8080");
  EXPECT_EQ(ParseBaseUrl("http://update.example-1.com:65535", error),
            "http://update.example-1.com:65535");
  for (const char* refused :
       {"h", "http://", "http:///", "https://h", "ftp://h", "http://h/x", "http://h:", "http://h:0",
        "http://h:65536", "http://h h", "http://-h", "http://h:80:81", "HTTP://h"}) {
    EXPECT_EQ(ParseBaseUrl(refused, error), std::nullopt) << refused;
  }
}

}  // namespace
}  // namespace tvac::app::publish
