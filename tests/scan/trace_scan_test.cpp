#include "scan/trace_scan.h"

#include <gtest/gtest.h>

#include "base/texts.h"
#include "fakes/fake_machine.h"
#include "platform/registry_values.h"

namespace tvac::scan {
namespace {

using platform::RootKey;
using platform::WriteRegistryString;

constexpr char kRunMru[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU";
constexpr char kOpenSave[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ComDlg32\\OpenSaveMRU";
constexpr char kTypedUrls[] = "Software\\Microsoft\\Internet Explorer\\TypedURLs";
constexpr char kMuiCache[] = "Software\\Microsoft\\Windows\\ShellNoRoam\\MUICache";
constexpr char kHelp[] = "SOFTWARE\\Microsoft\\Windows\\Help";
constexpr char kGom[] = "Software\\GRETECH\\GomPlayer\\OPTION";

class TraceScanTest : public testing::Test {
 protected:
  void Set(RootKey root, const char* key, const std::string& name, const std::string& data) {
    WriteRegistryString(m_.registry, root, key, name, data);
  }
  std::vector<std::string> Names() const {
    std::vector<std::string> out;
    for (const auto& row : m_.results.Snapshot()) out.push_back(row[Column::kName]);
    return out;
  }

  fakes::FakeMachine m_;
};

TEST_F(TraceScanTest, CatalogueHas22NumberedEntries) {
  const auto& catalogue = TraceCatalogue();
  ASSERT_EQ(catalogue.size(), 22u);
  for (int i = 0; i < 22; ++i) EXPECT_EQ(catalogue[i].number, i + 1);
  EXPECT_EQ(catalogue[18].key_path, kTypedUrls);
  EXPECT_EQ(catalogue[20].root, "HKEY_LOCAL_MACHINE");
  EXPECT_EQ(catalogue[14].value_name, "sRecentFile");
}

TEST_F(TraceScanTest, NothingFoundStillStepsThroughAllPercentages) {
  ScanTraces(m_.env);
  EXPECT_EQ(m_.display.percents, (std::vector<int>{4,  9,  13, 18, 22, 27, 31, 36, 40, 45, 50,
                                                   54, 59, 63, 68, 72, 77, 81, 86, 90, 95, 100}));
  EXPECT_EQ(m_.results.Count(), 0u);
  EXPECT_EQ(m_.results.GetCounters().trace, 0);
}

TEST_F(TraceScanTest, DataRuleKeepsEveryValueWhole) {
  Set(RootKey::kCurrentUser, kRunMru, "a", "notepad\\1");
  Set(RootKey::kCurrentUser, kRunMru, "MRUList", "a");
  Set(RootKey::kCurrentUser, kRunMru, "empty", "");
  Set(RootKey::kCurrentUser, kTypedUrls, "url1", "http://example.test/a\\b");
  ScanTraces(m_.env);
  EXPECT_EQ(Names(), (std::vector<std::string>{"notepad\\1", "a", "", "http://example.test/a\\b"}));
  const auto rows = m_.results.Snapshot();
  EXPECT_EQ(rows[0][Column::kLocation], texts::kTraceRun);
  EXPECT_EQ(rows[0][Column::kMisc1], "a");
  EXPECT_EQ(rows[0][Column::kMisc2], std::string("HKEY_CURRENT_USER\\") + kRunMru);
  EXPECT_EQ(rows[0][Column::kNumber], "3");
  EXPECT_EQ(rows[3][Column::kNumber], "19");
  const Counters c = m_.results.GetCounters();
  EXPECT_EQ(c.search_doc, 3);
  EXPECT_EQ(c.internet, 1);
  EXPECT_EQ(c.trace, 4);
  EXPECT_EQ(m_.display.statuses, (std::vector<std::string>{"a", "MRUList", "empty", "url1"}));
}

TEST_F(TraceScanTest, FileNameRuleTakesThePartAfterTheLastBackslash) {
  Set(RootKey::kCurrentUser, kOpenSave, "a", "C:\\Docs\\letter.doc");
  Set(RootKey::kCurrentUser, kOpenSave, "b", "www.example.test");
  Set(RootKey::kCurrentUser, kOpenSave, "c", "C:\\Docs\\");
  ScanTraces(m_.env);
  EXPECT_EQ(Names(), (std::vector<std::string>{"letter.doc", "www.example.test", ""}));
}

TEST_F(TraceScanTest, SingleValues) {
  Set(RootKey::kCurrentUser, kGom, "sRecentFile", "D:\\Movies\\film.avi");
  Set(RootKey::kCurrentUser, kGom, "sRecentURL", "see http://example.test/x\\y");
  ScanTraces(m_.env);
  EXPECT_EQ(Names(), (std::vector<std::string>{"film.avi", "see http://example.test/x\\y"}));
  EXPECT_EQ(m_.results.Snapshot()[0][Column::kMisc1], "sRecentFile");
  EXPECT_EQ(m_.results.GetCounters().media, 2);
}

TEST_F(TraceScanTest, SingleValuesThatReadAsZeroAddNothing) {
  Set(RootKey::kCurrentUser, kGom, "sRecentFile", "0");
  Set(RootKey::kCurrentUser, kGom, "sRecentURL", std::string(260, 'x'));  // does not fit
  ScanTraces(m_.env);
  EXPECT_EQ(m_.results.Count(), 0u);
}

TEST_F(TraceScanTest, MuiCacheKeepsMissingModulesOnDriveC) {
  m_.files.AddFile("C:\\Tools\\here.exe");
  for (const char* name :
       {"@C:\\Gone\\mod.dll,-101", "\"C:\\Gone\\app.exe\",0", "C:\\Gone\\plain.exe",
        "@C:\\Tools\\here.exe,-1", "@D:\\Other\\mod.dll,-1", "@c:\\gone\\lower.dll,-1", "LangID"}) {
    Set(RootKey::kCurrentUser, kMuiCache, name, "x");
  }
  ScanTraces(m_.env);
  EXPECT_EQ(Names(), (std::vector<std::string>{"C:\\Gone\\mod.dll", "C:\\Gone\\app.exe",
                                               "C:\\Gone\\plain.exe"}));
  EXPECT_EQ(m_.results.GetCounters().other, 3);
}

TEST_F(TraceScanTest, HelpRuleKeepsValuesWithEmptyData) {
  Set(RootKey::kLocalMachine, kHelp, "gone.hlp", "");
  Set(RootKey::kLocalMachine, kHelp, "here.hlp", "C:\\Windows\\Help");
  ScanTraces(m_.env);
  EXPECT_EQ(Names(), (std::vector<std::string>{"gone.hlp"}));
}

TEST_F(TraceScanTest, KeyWithoutFullAccessAddsNothing) {
  Set(RootKey::kLocalMachine, kHelp, "gone.hlp", "");
  m_.registry.DenyWrite(RootKey::kLocalMachine, kHelp);
  ScanTraces(m_.env);
  EXPECT_EQ(m_.results.Count(), 0u);
}

TEST_F(TraceScanTest, OverLongNamesEndTheKeyAndOverLongDataReadsEmpty) {
  Set(RootKey::kCurrentUser, kRunMru, "a", std::string(300, 'd'));
  Set(RootKey::kCurrentUser, kRunMru, std::string(260, 'n'), "x");
  Set(RootKey::kCurrentUser, kRunMru, "after", "y");
  Set(RootKey::kCurrentUser, kTypedUrls, "url1", "http://example.test/");
  ScanTraces(m_.env);
  EXPECT_EQ(Names(), (std::vector<std::string>{"", "http://example.test/"}));
}

TEST_F(TraceScanTest, StopEndsTheCurrentKeyButSingleValuesAreStillRead) {
  Set(RootKey::kCurrentUser, kRunMru, "a", "1");
  Set(RootKey::kCurrentUser, kRunMru, "b", "2");
  Set(RootKey::kCurrentUser, kTypedUrls, "url1", "http://example.test/");
  Set(RootKey::kCurrentUser, kGom, "sRecentFile", "C:\\film.avi");
  m_.results.SetListener([&] { m_.scanning = false; });
  ScanTraces(m_.env);
  EXPECT_EQ(Names(), (std::vector<std::string>{"1", "film.avi"}));
  EXPECT_EQ(m_.display.percents.size(), 22u);
}

}  // namespace
}  // namespace tvac::scan
