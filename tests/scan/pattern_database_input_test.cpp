// Whatever pattern.ini holds, the database reads what the INI rules make of it: odd
// line ends, zero bytes and endless lines end no read early and hide none of the
// entries after them.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "fakes/fake_files.h"
#include "fakes/pattern_builder.h"
#include "scan/pattern_database.h"

namespace tvac::scan {
namespace {

using fakes::EncodeBase64;

constexpr char kPath[] = "C:\\Program Files\\Talvo\\pattern.ini";
// Twelve bytes: sixteen Base64 characters without a pad.
constexpr char kFirstName[] = "Trojan.One.A";

// Two entries of one rule each, as the publisher writes them, with CRLF line ends.
std::string TwoEntries() {
  return fakes::PatternBuilder()
      .Entry(kFirstName, "first")
      .File(fakes::RuleText({"C:\\one.exe", "default", "K"}))
      .Entry("Worm.Two", "second")
      .Reg(fakes::RuleText({"HKEY_CURRENT_USER", "Software\\Two", "Run", "default", "V"}))
      .DbInfo("2026.12.10")
      .Build();
}

std::string Replaced(std::string text, std::string_view from, std::string_view to) {
  for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at)) {
    text.replace(at, from.size(), to);
    at += to.size();
  }
  return text;
}

PatternDatabase LoadContent(std::string content) {
  fakes::FakeFiles files;
  files.AddFile(kPath, std::move(content));
  return PatternDatabase::Load(files, kPath);
}

// Everything a scan reads of a database, in the order it reads it.
std::vector<std::string> ScanView(const PatternDatabase& db) {
  std::vector<std::string> seen = {std::to_string(db.EntryCount()), db.DbInfo()};
  for (std::int32_t i : db.PresentEntries(db.EntryCount())) {
    const PatternEntry entry = db.Entry(i);
    seen.insert(seen.end(), {entry.name, entry.info});
    for (std::int32_t j : db.PresentRules(i, "File", entry.file_count)) {
      const FileRule rule = db.File(i, j);
      seen.insert(seen.end(), {rule.path, rule.size, rule.kind});
    }
    for (std::int32_t j : db.PresentRules(i, "Reg", entry.reg_count)) {
      const RegRule rule = db.Reg(i, j);
      seen.insert(seen.end(),
                  {rule.root, rule.subkey, rule.value_name, rule.value_data, rule.kind});
    }
  }
  return seen;
}

TEST(PatternDatabaseInput, EveryLineEndReadsTheSame) {
  const std::vector<std::string> expected = ScanView(LoadContent(TwoEntries()));
  ASSERT_EQ(expected,
            (std::vector<std::string>{"2", "2026.12.10", kFirstName, "first", "C:\\one.exe",
                                      "default", "K", "Worm.Two", "second", "HKEY_CURRENT_USER",
                                      "Software\\Two", "Run", "default", "V"}));
  for (const char* line_end : {"\n", "\r", "\r\r\n", "\n\n"}) {
    SCOPED_TRACE(testing::PrintToString(line_end));
    EXPECT_EQ(ScanView(LoadContent(Replaced(TwoEntries(), "\r\n", line_end))), expected);
  }
}

TEST(PatternDatabaseInput, DatabaseWithoutLineBreaksIsEmpty) {
  // The whole file is one line: a section header up to its last "]", of a name that
  // nothing looks up.
  const PatternDatabase db = LoadContent(Replaced(TwoEntries(), "\r\n", " "));
  EXPECT_TRUE(db.loaded());
  EXPECT_EQ(ScanView(db), (std::vector<std::string>{"0", ""}));
  EXPECT_TRUE(db.PresentEntries(std::numeric_limits<std::int32_t>::max()).empty());
}

TEST(PatternDatabaseInput, ZeroBytesEndTheirTextAndTheEntriesAfterThemRead) {
  // The profile reader hands out texts: a zero byte ends the value, the key name or
  // the section name it is in, and the line goes on to its line end.
  const std::string name = EncodeBase64(kFirstName);
  std::string content = Replaced(TwoEntries(), "Name=" + name + "\r\n",
                                 "Name=" + name + '\0' + EncodeBase64("Tail") + "\r\n");
  content = Replaced(content, "File1=", std::string("File1\0old=", 10));
  content = Replaced(content, "[DeziRiv2]", std::string("[DeziRiv2\0old]", 14));
  EXPECT_EQ(ScanView(LoadContent(content)), ScanView(LoadContent(TwoEntries())));
}

// More bytes than 31 bits count, in one line. The Windows file reader refuses files
// over 512 MiB; the reader itself takes any size.
TEST(PatternDatabaseInput, LineLongerThan2GiBIsCutAndTheLinesAfterItRead) {
  constexpr std::size_t kValueLength = (std::size_t{1} << 31) + 7;
  const std::string head = "[TotalCount]\r\nCount=2\r\n[DeziRiv1]\r\nName=";
  std::string content = head + EncodeBase64(kFirstName);
  content.reserve(head.size() + kValueLength + 256);
  std::string filler;
  for (int i = 0; i < (1 << 18); ++i) filler += "QUJD";  // "ABC" again and again
  while (content.size() - head.size() < kValueLength) {
    content.append(filler, 0,
                   std::min(filler.size(), kValueLength - (content.size() - head.size())));
  }
  content += "\r\nInfo=" + EncodeBase64("after the long line") +
             "\r\nFileCount=1\r\nFile1=" + EncodeBase64("C:\\long.exe#default#K") +
             "\r\n[DeziRiv2]\r\nName=" + EncodeBase64("Worm.Two") + "\r\n";

  const PatternDatabase db = LoadContent(std::move(content));
  // 259 characters of the value are read: the name's 16, then 240 that make whole
  // groups; the last 3 make none.
  std::string name = kFirstName;
  for (int i = 0; i < 60; ++i) name += "ABC";
  EXPECT_EQ(db.EntryCount(), 2);
  const PatternEntry first = db.Entry(1);
  EXPECT_EQ(first.name, name);
  EXPECT_EQ(first.info, "after the long line");
  EXPECT_EQ(db.PresentRules(1, "File", first.file_count), std::vector<std::int32_t>{1});
  EXPECT_EQ(db.File(1, 1).path, "C:\\long.exe");
  EXPECT_EQ(db.Entry(2).name, "Worm.Two");
}

}  // namespace
}  // namespace tvac::scan
