#include "scan/signature_scan.h"

#include <gtest/gtest.h>

#include "app/texts.h"
#include "fakes/fake_files.h"
#include "fakes/fake_registry.h"
#include "fakes/pattern_builder.h"
#include "fakes/recording_display.h"
#include "remedy/system_ops.h"

namespace tvac::scan {
namespace {

using platform::KnownFolder;
using platform::RootKey;

std::string Rule(std::initializer_list<std::string_view> fields) {
  std::string rule;
  for (std::string_view f : fields) {
    if (!rule.empty()) rule += '#';
    rule += f;
  }
  return rule;
}

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
    RunSignatureScan(PatternDatabase(platform::IniDocument::Parse(ini)), env_);
  }
  std::vector<std::string> Locations() const {
    std::vector<std::string> out;
    for (const ScanItem& row : results_.Snapshot()) out.push_back(row[Column::kLocation]);
    return out;
  }

  fakes::FakeFiles files_;
  fakes::FakeRegistry registry_;
  ScanResultList results_;
  fakes::RecordingDisplay display_;
  std::atomic<bool> scanning_{true};
  ScanEnvironment env_{files_, registry_, results_, display_, scanning_, "tester"};
};

TEST_F(SignatureScanTest, FileRuleSizesCompareAsText) {
  files_.AddFile("C:\\bad\\a.exe", std::string(1023, 'x'));
  files_.AddFile("C:\\bad\\b.exe", std::string(1024, 'x'));
  files_.AddFolder("C:\\bad\\folder");
  const std::string file(texts::kKindFile), folder(texts::kKindFolder);
  ScanOne({Rule({"C:\\bad\\a.exe", "1024", file}), Rule({"C:\\bad\\b.exe", "01024", file}),
           Rule({"C:\\bad\\b.exe", "1024", file}), Rule({"C:\\bad\\a.exe", "default", file}),
           Rule({"C:\\bad\\folder", "0", folder}), Rule({"C:\\bad\\folder", "default", folder}),
           Rule({"C:\\bad\\missing.exe", "default", file})});
  EXPECT_EQ(Locations(), (std::vector<std::string>{"C:\\bad\\folder", "C:\\bad\\folder",
                                                   "C:\\bad\\a.exe", "C:\\bad\\b.exe"}));
  const ScanItem top = results_.Snapshot()[0];
  EXPECT_EQ(top[Column::kName], "Trojan.Test");
  EXPECT_EQ(top[Column::kKind], "test trojan");
  EXPECT_EQ(top[Column::kMisc1], folder);
  EXPECT_EQ(results_.GetCounters().malware, 4);
  EXPECT_EQ(display_.result_line_redraws, 4);
}

TEST_F(SignatureScanTest, SizesOverTwoGigabytesCompareTheirLow32BitsAsSigned) {
  files_.AddFileOfSize("C:\\big\\a.bin", (std::uint64_t{1} << 32) + 1024);
  files_.AddFileOfSize("C:\\big\\b.bin", 3000000000u);
  const std::string file(texts::kKindFile);
  ScanOne({Rule({"C:\\big\\a.bin", "1024", file}), Rule({"C:\\big\\b.bin", "3000000000", file}),
           Rule({"C:\\big\\b.bin", "-1294967296", file})});
  EXPECT_EQ(Locations(), (std::vector<std::string>{"C:\\big\\b.bin", "C:\\big\\a.bin"}));
}

TEST_F(SignatureScanTest, KindsResolveTheirPaths) {
  files_.SetFolder(KnownFolder::kWindows, "C:\\WINDOWS");
  files_.AddFile("C:\\WINDOWS\\system32\\evil.dll");
  files_.AddFile("C:\\Users\\tester\\Desktop\\tester\\x.lnk");
  ScanOne({Rule({"system32\\evil.dll", "default", texts::kKindWindows}),
           Rule({std::string("C:\\Users\\") + std::string(texts::kUserNamePlaceholder) +
                     "\\Desktop\\" + std::string(texts::kUserNamePlaceholder) + "\\x.lnk",
                 "default", texts::kKindDesktop}),
           Rule({"C:\\WINDOWS\\system32\\evil.dll", "default", "other kind"})});
  EXPECT_EQ(Locations(), (std::vector<std::string>{"C:\\WINDOWS\\system32\\evil.dll",
                                                   "C:\\Users\\tester\\Desktop\\tester\\x.lnk",
                                                   "C:\\WINDOWS\\system32\\evil.dll"}));
  EXPECT_EQ(display_.windows_dir, "C:\\WINDOWS");
}

TEST_F(SignatureScanTest, ProgramGroupTriesTheOldProfileThenTheSystemsFolders) {
  const std::string group(texts::kKindProgramGroup);
  files_.SetFolder(KnownFolder::kCommonStartMenu,
                   "C:\\Documents and Settings\\All Users\\Start Menu");
  files_.AddFolder("C:\\Documents and Settings\\tester\\Start Menu\\Programs\\Old");
  files_.AddFolder("C:\\Documents and Settings\\tester\\Start Menu\\" +
                   std::string(texts::kProgramsLocalized) + "\\Localized");
  files_.AddFolder(*files_.Folder(KnownFolder::kUserPrograms) + "\\Mine");
  files_.AddFolder(*files_.Folder(KnownFolder::kCommonPrograms) + "\\Shared");
  ScanOne({Rule({"Old", "default", group}), Rule({"Localized", "default", group}),
           Rule({"Mine", "default", group}), Rule({"Shared", "default", group}),
           Rule({"Nowhere", "default", group})});
  EXPECT_EQ(Locations(), (std::vector<std::string>{
                             *files_.Folder(KnownFolder::kCommonPrograms) + "\\Shared",
                             *files_.Folder(KnownFolder::kUserPrograms) + "\\Mine",
                             "C:\\Documents and Settings\\tester\\Start Menu\\" +
                                 std::string(texts::kProgramsLocalized) + "\\Localized",
                             "C:\\Documents and Settings\\tester\\Start Menu\\Programs\\Old"}));
}

TEST_F(SignatureScanTest, RegistryRules) {
  remedy::WriteRegistryString(registry_, RootKey::kCurrentUser, "Software\\Bad", "Run", "evil");
  remedy::WriteRegistryString(registry_, RootKey::kLocalMachine, "SOFTWARE\\Bad", "Long",
                              std::string(100, 'x'));
  registry_.SetRaw(RootKey::kUsers, "S-1\\Bad", "Run", "evil");
  const std::string value(texts::kKindRegValue), key(texts::kKindRegKey);
  ScanOne({}, {Rule({"HKEY_CURRENT_USER", "Software\\Bad", "Run", "evil", value}),
               Rule({"HKEY_CURRENT_USER", "Software\\Bad", "Run", "other", value}),
               Rule({"HKEY_CURRENT_USER", "Software\\Bad", "Run", "default", value}),
               Rule({"HKEY_CURRENT_USER", "Software\\Bad", "Gone", "default", value}),
               Rule({"HKEY_LOCAL_MACHINE", "SOFTWARE\\Bad", "Long", "default", value}),
               Rule({"HKEY_USERS", "S-1\\Bad", "Run", "default", value}),
               Rule({"HKEY_CURRENT_USER", "Software\\Bad", "n", "d", key}),
               Rule({"HKEY_CURRENT_USER", "Software\\Missing", "n", "d", key}),
               Rule({"HKEY_CURRENT_USER", "Software\\Bad", "Run", "evil", "other kind"})});
  EXPECT_EQ(Locations(), (std::vector<std::string>{"HKEY_CURRENT_USER\\Software\\Bad/n/d",
                                                   "HKEY_CURRENT_USER\\Software\\Bad/Run/evil",
                                                   "HKEY_CURRENT_USER\\Software\\Bad/Run/evil"}));
  EXPECT_EQ(results_.Snapshot()[0][Column::kMisc1], key);
}

TEST_F(SignatureScanTest, KeyWithoutFullAccessCountsAsAbsent) {
  remedy::WriteRegistryString(registry_, RootKey::kLocalMachine, "SOFTWARE\\Locked", "v", "1");
  registry_.DenyWrite(RootKey::kLocalMachine, "SOFTWARE\\Locked");
  ScanOne({},
          {Rule({"HKEY_LOCAL_MACHINE", "SOFTWARE\\Locked", "v", "default", texts::kKindRegKey})});
  EXPECT_EQ(results_.Count(), 0u);
}

TEST_F(SignatureScanTest, ProgressCountsEntriesBegunAndShowsNames) {
  files_.AddFile("C:\\x.exe");
  const std::string rule = Rule({"C:\\x.exe", "default", texts::kKindFile});
  Scan(fakes::PatternBuilder()
           .Entry("one", "i")
           .File(rule)
           .Entry("two", "i")
           .Entry("three", "i")
           .Build());
  EXPECT_EQ(display_.percents, (std::vector<int>{33, 66, 100}));
  EXPECT_EQ(display_.statuses, (std::vector<std::string>{"one", "two", "three"}));
  EXPECT_EQ(results_.Count(), 1u);
}

TEST_F(SignatureScanTest, CountsThatMeanNothing) {
  for (const char* count : {"0", "-1", "abc"}) {
    Scan(fakes::PatternBuilder().Entry("one", "i").Count(count).Build());
    EXPECT_TRUE(display_.percents.empty()) << count;
  }
  Scan(fakes::PatternBuilder().Entry("one", "i").Entry("two", "i").Count("1").Build());
  EXPECT_EQ(display_.statuses, (std::vector<std::string>{"one"}));
}

TEST_F(SignatureScanTest, StopEndsTheScanAndShowsZero) {
  files_.AddFile("C:\\x.exe");
  const std::string rule = Rule({"C:\\x.exe", "default", texts::kKindFile});
  fakes::PatternBuilder builder;
  for (int i = 1; i <= 10; ++i) builder.Entry("e" + std::to_string(i), "i").File(rule).File(rule);
  // Stop while entry 5 is scanned: its first rule still runs, nothing after it.
  results_.SetListener([&] {
    if (results_.Count() == 9) scanning_ = false;
  });
  Scan(builder.Build());
  EXPECT_EQ(results_.Count(), 9u);
  EXPECT_EQ(display_.percents, (std::vector<int>{10, 20, 30, 40, 50, 0, 60, 0}));
  EXPECT_EQ(display_.statuses.back(), "e5");
}

TEST_F(SignatureScanTest, HugeCountOverFewSectionsEndsAt100) {
  files_.AddFile("C:\\x.exe");
  const std::string rule = Rule({"C:\\x.exe", "default", texts::kKindFile});
  std::string ini =
      fakes::PatternBuilder().Entry("one", "i").File(rule).Count("2147483647").Build();
  ini += "[DeziRiv2147483647]\r\nName=" + fakes::EncodeBase64("last") +
         "\r\nFileCount=2147483647\r\nFile9=" + fakes::EncodeBase64(rule) + "\r\n";
  Scan(ini);
  EXPECT_EQ(results_.Count(), 2u);
  EXPECT_EQ(display_.percents, (std::vector<int>{0, 100}));
  EXPECT_EQ(display_.statuses, (std::vector<std::string>{"one", "last"}));
}

TEST_F(SignatureScanTest, GapsAfterTheLastSectionStillEndAt100) {
  Scan(fakes::PatternBuilder().Entry("one", "i").Count("4").Build());
  EXPECT_EQ(display_.percents, (std::vector<int>{25, 100}));
}

TEST_F(SignatureScanTest, DatabaseIsOneSnapshot) {
  files_.AddFile("C:\\x.exe");
  files_.AddFile("C:\\app\\pattern.ini", fakes::PatternBuilder()
                                             .Entry("old", "i")
                                             .File(Rule({"C:\\x.exe", "default", texts::kKindFile}))
                                             .Build());
  const PatternDatabase db = PatternDatabase::Load(files_, "C:\\app\\pattern.ini");
  files_.RemoveFile("C:\\app\\pattern.ini");
  files_.AddFile("C:\\app\\pattern.ini", fakes::PatternBuilder().Entry("new", "i").Build());
  RunSignatureScan(db, env_);
  EXPECT_EQ(results_.Field(0, Column::kName), "old");
  // The next scan loads the replacement.
  results_.Clear();
  RunSignatureScan(PatternDatabase::Load(files_, "C:\\app\\pattern.ini"), env_);
  EXPECT_EQ(results_.Count(), 0u);
}

}  // namespace
}  // namespace tvac::scan
