#include "scan/signature_scan.h"

#include <gtest/gtest.h>

#include "base/texts.h"
#include "fakes/fake_machine.h"
#include "fakes/pattern_builder.h"
#include "platform/registry_values.h"

namespace tvac::scan {
namespace {

using platform::KnownFolder;
using platform::RootKey;

class SignatureScanTest : public testing::Test {
 protected:
  // Scans a database of one entry holding `files` and `regs` rules.
  void ScanOne(std::vector<std::string> files, std::vector<std::string> regs = {}) {
    fakes::PatternBuilder builder;
    builder.Entry("Trojan.Test", "test trojan");
    for (auto& f : files) builder.File(f);
    for (auto& r : regs) builder.Reg(r);
    Scan(builder.Build());
  }
  void Scan(const std::string& ini) {
    RunSignatureScan(PatternDatabase(platform::IniDocument::Parse(ini)), m_.env);
  }
  std::vector<std::string> Locations() const {
    std::vector<std::string> out;
    for (const ScanItem& row : m_.results.Snapshot()) out.push_back(row[Column::kLocation]);
    return out;
  }

  fakes::FakeMachine m_;
};

TEST_F(SignatureScanTest, FileRuleSizesCompareAsText) {
  m_.files.AddFile("C:\\bad\\a.exe", std::string(1023, 'x'));
  m_.files.AddFile("C:\\bad\\b.exe", std::string(1024, 'x'));
  m_.files.AddFolder("C:\\bad\\folder");
  const std::string file(texts::kKindFile), folder(texts::kKindFolder);
  ScanOne({fakes::RuleText({"C:\\bad\\a.exe", "1024", file}),
           fakes::RuleText({"C:\\bad\\b.exe", "01024", file}),
           fakes::RuleText({"C:\\bad\\b.exe", "1024", file}),
           fakes::RuleText({"C:\\bad\\a.exe", "default", file}),
           fakes::RuleText({"C:\\bad\\folder", "0", folder}),
           fakes::RuleText({"C:\\bad\\folder", "default", folder}),
           fakes::RuleText({"C:\\bad\\missing.exe", "default", file})});
  EXPECT_EQ(Locations(), (std::vector<std::string>{"C:\\bad\\folder", "C:\\bad\\folder",
                                                   "C:\\bad\\a.exe", "C:\\bad\\b.exe"}));
  const ScanItem top = m_.results.Snapshot()[0];
  EXPECT_EQ(top[Column::kName], "Trojan.Test");
  EXPECT_EQ(top[Column::kKind], "test trojan");
  EXPECT_EQ(top[Column::kMisc1], folder);
  EXPECT_EQ(m_.results.GetCounters().malware, 4);
  EXPECT_EQ(m_.display.result_line_redraws, 4);
}

TEST_F(SignatureScanTest, SizesOverTwoGigabytesCompareTheirLow32BitsAsSigned) {
  m_.files.AddFileOfSize("C:\\big\\a.bin", (std::uint64_t{1} << 32) + 1024);
  m_.files.AddFileOfSize("C:\\big\\b.bin", 3000000000u);
  const std::string file(texts::kKindFile);
  ScanOne({fakes::RuleText({"C:\\big\\a.bin", "1024", file}),
           fakes::RuleText({"C:\\big\\b.bin", "3000000000", file}),
           fakes::RuleText({"C:\\big\\b.bin", "-1294967296", file})});
  EXPECT_EQ(Locations(), (std::vector<std::string>{"C:\\big\\b.bin", "C:\\big\\a.bin"}));
}

TEST_F(SignatureScanTest, KindsResolveTheirPaths) {
  m_.files.SetFolder(KnownFolder::kWindows, "C:\\WINDOWS");
  m_.files.AddFile("C:\\WINDOWS\\system32\\evil.dll");
  m_.files.AddFile("C:\\Users\\tester\\Desktop\\tester\\x.lnk");
  ScanOne(
      {fakes::RuleText({"system32\\evil.dll", "default", texts::kKindWindows}),
       fakes::RuleText({std::string("C:\\Users\\") + std::string(texts::kUserNamePlaceholder) +
                            "\\Desktop\\" + std::string(texts::kUserNamePlaceholder) + "\\x.lnk",
                        "default", texts::kKindDesktop}),
       fakes::RuleText({"C:\\WINDOWS\\system32\\evil.dll", "default", "other kind"})});
  EXPECT_EQ(Locations(), (std::vector<std::string>{"C:\\WINDOWS\\system32\\evil.dll",
                                                   "C:\\Users\\tester\\Desktop\\tester\\x.lnk",
                                                   "C:\\WINDOWS\\system32\\evil.dll"}));
  EXPECT_EQ(m_.display.windows_dir, "C:\\WINDOWS");
}

TEST_F(SignatureScanTest, ProgramGroupTriesTheOldProfileThenTheSystemsFolders) {
  const std::string group(texts::kKindProgramGroup);
  m_.files.SetFolder(KnownFolder::kCommonStartMenu,
                     "C:\\Documents and Settings\\All Users\\Start Menu");
  m_.files.AddFolder("C:\\Documents and Settings\\tester\\Start Menu\\Programs\\Old");
  const std::string old_menu = "C:\\Documents and Settings\\tester\\Start Menu\\";
  m_.files.AddFolder(old_menu + std::string(texts::kProgramsLocalized) + "\\Localized");
  m_.files.AddFolder(*m_.files.Folder(KnownFolder::kUserPrograms) + "\\Mine");
  m_.files.AddFolder(*m_.files.Folder(KnownFolder::kCommonPrograms) + "\\Shared");
  ScanOne(
      {fakes::RuleText({"Old", "default", group}), fakes::RuleText({"Localized", "default", group}),
       fakes::RuleText({"Mine", "default", group}), fakes::RuleText({"Shared", "default", group}),
       fakes::RuleText({"Nowhere", "default", group})});
  EXPECT_EQ(Locations(), (std::vector<std::string>{
                             *m_.files.Folder(KnownFolder::kCommonPrograms) + "\\Shared",
                             *m_.files.Folder(KnownFolder::kUserPrograms) + "\\Mine",
                             old_menu + std::string(texts::kProgramsLocalized) + "\\Localized",
                             "C:\\Documents and Settings\\tester\\Start Menu\\Programs\\Old"}));
}

TEST_F(SignatureScanTest, RegistryRules) {
  platform::WriteRegistryString(m_.registry, RootKey::kCurrentUser, "Software\\Bad", "Run", "evil");
  platform::WriteRegistryString(m_.registry, RootKey::kLocalMachine, "SOFTWARE\\Bad", "Long",
                                std::string(100, 'x'));
  m_.registry.SetRaw(RootKey::kUsers, "S-1\\Bad", "Run", "evil");
  const std::string value(texts::kKindRegValue), key(texts::kKindRegKey);
  ScanOne({},
          {fakes::RuleText({"HKEY_CURRENT_USER", "Software\\Bad", "Run", "evil", value}),
           fakes::RuleText({"HKEY_CURRENT_USER", "Software\\Bad", "Run", "other", value}),
           fakes::RuleText({"HKEY_CURRENT_USER", "Software\\Bad", "Run", "default", value}),
           fakes::RuleText({"HKEY_CURRENT_USER", "Software\\Bad", "Gone", "default", value}),
           fakes::RuleText({"HKEY_LOCAL_MACHINE", "SOFTWARE\\Bad", "Long", "default", value}),
           fakes::RuleText({"HKEY_USERS", "S-1\\Bad", "Run", "default", value}),
           fakes::RuleText({"HKEY_CURRENT_USER", "Software\\Bad", "n", "d", key}),
           fakes::RuleText({"HKEY_CURRENT_USER", "Software\\Missing", "n", "d", key}),
           fakes::RuleText({"HKEY_CURRENT_USER", "Software\\Bad", "Run", "evil", "other kind"})});
  EXPECT_EQ(Locations(), (std::vector<std::string>{"HKEY_CURRENT_USER\\Software\\Bad/n/d",
                                                   "HKEY_CURRENT_USER\\Software\\Bad/Run/evil",
                                                   "HKEY_CURRENT_USER\\Software\\Bad/Run/evil"}));
  EXPECT_EQ(m_.results.Snapshot()[0][Column::kMisc1], key);
}

TEST_F(SignatureScanTest, KeyWithoutFullAccessCountsAsAbsent) {
  platform::WriteRegistryString(m_.registry, RootKey::kLocalMachine, "SOFTWARE\\Locked", "v", "1");
  m_.registry.DenyWrite(RootKey::kLocalMachine, "SOFTWARE\\Locked");
  ScanOne({}, {fakes::RuleText(
                  {"HKEY_LOCAL_MACHINE", "SOFTWARE\\Locked", "v", "default", texts::kKindRegKey})});
  EXPECT_EQ(m_.results.Count(), 0u);
}

TEST_F(SignatureScanTest, ProgressCountsEntriesBegunAndShowsNames) {
  m_.files.AddFile("C:\\x.exe");
  const std::string rule = fakes::RuleText({"C:\\x.exe", "default", texts::kKindFile});
  Scan(fakes::PatternBuilder()
           .Entry("one", "i")
           .File(rule)
           .Entry("two", "i")
           .Entry("three", "i")
           .Build());
  EXPECT_EQ(m_.display.percents, (std::vector<int>{33, 66, 100}));
  EXPECT_EQ(m_.display.statuses, (std::vector<std::string>{"one", "two", "three"}));
  EXPECT_EQ(m_.results.Count(), 1u);
}

TEST_F(SignatureScanTest, CountsThatMeanNothing) {
  for (const char* count : {"0", "-1", "abc"}) {
    Scan(fakes::PatternBuilder().Entry("one", "i").Count(count).Build());
    EXPECT_TRUE(m_.display.percents.empty()) << count;
  }
  Scan(fakes::PatternBuilder().Entry("one", "i").Entry("two", "i").Count("1").Build());
  EXPECT_EQ(m_.display.statuses, (std::vector<std::string>{"one"}));
}

TEST_F(SignatureScanTest, StopEndsTheScanAndShowsZero) {
  m_.files.AddFile("C:\\x.exe");
  const std::string rule = fakes::RuleText({"C:\\x.exe", "default", texts::kKindFile});
  fakes::PatternBuilder builder;
  for (int i = 1; i <= 10; ++i)
    builder.Entry(std::string("e").append(std::to_string(i)), "i").File(rule).File(rule);
  // Stop while entry 5 is scanned: its first rule still runs, nothing after it.
  m_.results.SetListener([&] {
    if (m_.results.Count() == 9) m_.scanning = false;
  });
  Scan(builder.Build());
  EXPECT_EQ(m_.results.Count(), 9u);
  EXPECT_EQ(m_.display.percents, (std::vector<int>{10, 20, 30, 40, 50, 0, 60, 0}));
  EXPECT_EQ(m_.display.statuses.back(), "e5");
}

TEST_F(SignatureScanTest, HugeCountOverFewSectionsEndsAt100) {
  m_.files.AddFile("C:\\x.exe");
  const std::string rule = fakes::RuleText({"C:\\x.exe", "default", texts::kKindFile});
  std::string ini =
      fakes::PatternBuilder().Entry("one", "i").File(rule).Count("2147483647").Build();
  ini += "[DeziRiv2147483647]\r\nName=" + fakes::EncodeBase64("last") +
         "\r\nFileCount=2147483647\r\nFile9=" + fakes::EncodeBase64(rule) + "\r\n";
  Scan(ini);
  EXPECT_EQ(m_.results.Count(), 2u);
  EXPECT_EQ(m_.display.percents, (std::vector<int>{0, 100}));
  EXPECT_EQ(m_.display.statuses, (std::vector<std::string>{"one", "last"}));
}

TEST_F(SignatureScanTest, GapsAfterTheLastSectionStillEndAt100) {
  Scan(fakes::PatternBuilder().Entry("one", "i").Count("4").Build());
  EXPECT_EQ(m_.display.percents, (std::vector<int>{25, 100}));
}

TEST_F(SignatureScanTest, DatabaseIsOneSnapshot) {
  m_.files.AddFile("C:\\x.exe");
  m_.files.AddFile("C:\\app\\pattern.ini",
                   fakes::PatternBuilder()
                       .Entry("old", "i")
                       .File(fakes::RuleText({"C:\\x.exe", "default", texts::kKindFile}))
                       .Build());
  const PatternDatabase db = PatternDatabase::Load(m_.files, "C:\\app\\pattern.ini");
  m_.files.RemoveFile("C:\\app\\pattern.ini");
  m_.files.AddFile("C:\\app\\pattern.ini", fakes::PatternBuilder().Entry("new", "i").Build());
  RunSignatureScan(db, m_.env);
  EXPECT_EQ(m_.results.Field(0, Column::kName), "old");
  // The next scan loads the replacement.
  m_.results.Clear();
  RunSignatureScan(PatternDatabase::Load(m_.files, "C:\\app\\pattern.ini"), m_.env);
  EXPECT_EQ(m_.results.Count(), 0u);
}

}  // namespace
}  // namespace tvac::scan
