#include "scan/pattern_database.h"

#include <gtest/gtest.h>

#include "base/texts.h"
#include "fakes/fake_files.h"
#include "fakes/pattern_builder.h"
#include "samples/korean_samples.h"

namespace tvac::scan {
namespace {

TEST(DecodeBase64, Cases) {
  const struct {
    const char* in;
    std::string out;
  } cases[] = {
      {"QUJD", "ABC"},
      {"QUI=", "AB"},
      {"QQ==", "A"},
      {"QU JD\r\n", "ABC"},  // blanks and line breaks are skipped
      {"QUJDRA==", "ABCD"},
      {"QUJDRA", "ABC"},   // an incomplete last group is dropped
      {"QUJD!!!", "ABC"},  // the last group may be followed by three more
      {"QUJDREVG", "ABCDEF"},
      {"QQ==QUJD", "A"},  // a pad inside the text counts as zero bits
      {"AEFC", ""},       // the text ends at the first zero byte
      {"", ""},
      {"====", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(DecodeBase64(c.in), c.out) << c.in;
}

TEST(DecodeBase64, RoundTripsKoreanText) {
  EXPECT_EQ(DecodeBase64(fakes::EncodeBase64(samples::kTrojanInfo)), samples::kTrojanInfo);
}

TEST(SplitRule, FieldsBetweenHashes) {
  EXPECT_EQ(SplitRule("C:\\x.exe#default#K"),
            (std::vector<std::string>{"C:\\x.exe", "default", "K"}));
  EXPECT_EQ(SplitRule("a##b#"), (std::vector<std::string>{"a", "", "b", ""}));
  EXPECT_EQ(SplitRule(""), (std::vector<std::string>{""}));
}

TEST(PatternDatabase, ReadsEntriesAndRules) {
  const std::string file_rule = std::string("C:\\x.exe#default#") + std::string(texts::kKindFile);
  const std::string reg_rule =
      std::string("HKEY_CURRENT_USER#Software\\X#Run#default#") + std::string(texts::kKindRegValue);
  const PatternDatabase db(
      platform::IniDocument::Parse(fakes::PatternBuilder()
                                       .Entry(samples::kTrojanName, samples::kTrojanInfo)
                                       .File(file_rule)
                                       .Reg(reg_rule)
                                       .Build()));
  EXPECT_EQ(db.EntryCount(), 1);
  const PatternEntry entry = db.Entry(1);
  EXPECT_EQ(entry.name, samples::kTrojanName);
  EXPECT_EQ(entry.info, samples::kTrojanInfo);
  EXPECT_EQ(entry.file_count, 1);
  EXPECT_EQ(entry.reg_count, 1);
  const FileRule file = db.File(1, 1);
  EXPECT_EQ(file.path, "C:\\x.exe");
  EXPECT_EQ(file.size, "default");
  EXPECT_EQ(file.kind, texts::kKindFile);
  const RegRule reg = db.Reg(1, 1);
  EXPECT_EQ(reg.root, "HKEY_CURRENT_USER");
  EXPECT_EQ(reg.subkey, "Software\\X");
  EXPECT_EQ(reg.value_name, "Run");
  EXPECT_EQ(reg.value_data, "default");
  EXPECT_EQ(reg.kind, texts::kKindRegValue);
  // Missing rules and missing fields read as empty.
  EXPECT_EQ(db.File(1, 2).path, "");
  EXPECT_EQ(db.Entry(2).name, "");
}

TEST(PatternDatabase, ValuesAreCutTo259Bytes) {
  const PatternDatabase db(platform::IniDocument::Parse(
      "[DeziRiv1]\r\nName=" + fakes::EncodeBase64(std::string(300, 'x')) + "\r\n"));
  // 300 bytes encode to 400 characters, of which 259 are read: 256 decode to 192 bytes.
  EXPECT_EQ(db.Entry(1).name, std::string(192, 'x'));
}

TEST(PatternDatabase, CountsAndPresentEntries) {
  const auto db_with = [](const std::string& count) {
    return PatternDatabase(
        platform::IniDocument::Parse("[TotalCount]\nCount=" + count +
                                     "\n[DeziRiv1]\n[DeziRiv3]\n[deziriv2]\n[DeziRiv04]\n"
                                     "[DeziRiv]\n[DeziRiv9]\n"));
  };
  EXPECT_EQ(db_with("2x").EntryCount(), 2);
  EXPECT_EQ(db_with("abc").EntryCount(), 0);
  EXPECT_EQ(db_with("3").PresentEntries(3), (std::vector<std::int32_t>{1, 2, 3}));
  EXPECT_EQ(db_with("2147483647").PresentEntries(2147483647),
            (std::vector<std::int32_t>{1, 2, 3, 9}));
}

TEST(PatternDatabase, DbInfoDropsItsLabel) {
  const PatternDatabase db(platform::IniDocument::Parse(
      "[DBINFO]\nInfo=" + std::string(texts::kDbDateLabel) + "2011.05.05\n"));
  EXPECT_EQ(db.DbInfo(), "2011.05.05");
}

TEST(PatternDatabase, MissingFileIsAnEmptyDatabase) {
  fakes::FakeFiles files;
  const PatternDatabase db = PatternDatabase::Load(files, "C:\\app\\pattern.ini");
  EXPECT_FALSE(db.loaded());
  EXPECT_EQ(db.EntryCount(), 0);
  files.AddFile("C:\\app\\pattern.ini", "[TotalCount]\r\nCount=5\r\n");
  EXPECT_EQ(PatternDatabase::Load(files, "C:\\app\\pattern.ini").EntryCount(), 5);
}

}  // namespace
}  // namespace tvac::scan
