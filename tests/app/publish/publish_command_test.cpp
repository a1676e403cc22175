#include "app/publish/publish_command.h"

#include <gtest/gtest.h>

#include <sstream>

#include "app/publish/scratch_folder.h"

namespace tvac::app::publish {
namespace {

using test_support::Outcome;
using test_support::ScratchFolder;

Outcome Publish(const std::vector<std::string>& args) { return test_support::RunCaptured(args); }

constexpr const char* kGoodList = "date 2026.12.10\nentry n\ninfo i\nfile p default 파일\n";

TEST(PublishBuild, WritesTheDatabaseAndSaysWhatItHolds) {
  ScratchFolder folder;
  const std::string list = folder.Write("list.txt", kGoodList);
  const Outcome run = Publish({"build", list, folder.Path("pattern.ini")});
  EXPECT_EQ(run.status, kExitOk) << run.err;
  EXPECT_EQ(run.out, folder.Path("pattern.ini") +
                         ": 1 entries, 1 file rules, 0 registry rules, dated 2026.12.10\n");
  EXPECT_NE(ScratchFolder::Read(folder.Path("pattern.ini")).find("[DeziRiv1]\r\n"),
            std::string::npos);
  EXPECT_EQ(folder.Snapshot().size(), 2u);  // nothing beside the two files
}

TEST(PublishBuild, EachFaultIsNamedByItsLineAndNothingIsWritten) {
  const std::string head = "date 2026.12.10\nentry n\ninfo i\n";  // lines 1 to 3
  const struct {
    std::string list;
    std::string fault;  // after "list.txt:"
  } cases[] = {
      {"date 2026.12.10\nentry \"이모지 😀\"\ninfo i\nfile p default 파일\n",
       "2: \"😀\" (U+1F600) has no code page 949 form"},
      {head + "file \"C:\\ก.exe\" default 파일\n", "4: \"ก\" (U+0E01) has no code page 949 form"},
      {head + "file p default 파일들\n",
       "4: unknown file kind \"파일들\" (파일, 시스템, MD5, 윈도우, 바탕화면, 폴더, 프로그램그룹)"},
      {head + "reg HKEY_CURRENT_USER S n d 레지\n",
       "4: unknown registry kind \"레지\" (레지키, 레지값)"},
      {head + "reg HKEY_USERS S n d 레지값\n",
       "4: unknown root \"HKEY_USERS\" (HKEY_LOCAL_MACHINE, HKEY_CLASSES_ROOT, "
       "HKEY_CURRENT_USER)"},
      {head + "reg hkey_current_user S n d 레지값\n",
       "4: unknown root \"hkey_current_user\" (HKEY_LOCAL_MACHINE, HKEY_CLASSES_ROOT, "
       "HKEY_CURRENT_USER)"},
      {head + "file p 12k 파일\n",
       "4: bad size \"12k\": bytes in decimal (no leading zeros, at most 2147483647) or default"},
      {head + "file p 012 파일\n",
       "4: bad size \"012\": bytes in decimal (no leading zeros, at most 2147483647) or default"},
      {head + "file p 2147483648 파일\n",
       "4: bad size \"2147483648\": bytes in decimal (no leading zeros, at most 2147483647) or "
       "default"},
      {head + "file p -1 파일\n",
       "4: bad size \"-1\": bytes in decimal (no leading zeros, at most 2147483647) or default"},
      {head + "file p default\n", "4: file takes 3 fields (file PATH SIZE KIND), found 2"},
      {head + "reg HKEY_CURRENT_USER S n 레지값\n",
       "4: reg takes 5 fields (reg ROOT SUBKEY NAME DATA KIND), found 4"},
      {head + "file C:\\Program Files\\x default 파일\n",
       "4: file takes 3 fields (file PATH SIZE KIND), found 4; quote a field that holds blanks"},
      {head + "file \"\" default 파일\n", "4: the path is empty"},
      {head + "file \"C:\\a#b\" default 파일\n", "4: \"#\" in the path would split the rule"},
      {head + "reg HKEY_CURRENT_USER S n \"1#2\" 레지값\n",
       "4: \"#\" in the value data would split the rule"},
      {head + "file \"C:\\x default 파일\n", "4: a quoted field without its closing quote"},
      {head + "file C:\\\"x\" default 파일\n",
       "4: a quote inside a bare field; put the whole field in quotes"},
      {head + "file \"a\"b default 파일\n",
       "4: a closing quote must be followed by a blank or the end of the line"},
      {head + "file \"a\tb\" default 파일\n", "4: a control character inside quotes"},
      {head + "file p\xFF default 파일\n", "4: the line is not UTF-8 text"},
      {head + "rule p default 파일\n",
       "4: unknown statement \"rule\" (date, entry, info, file or reg)"},
      {head + "entry m\ninfo j\nfile p default 파일\n",
       "2: the entry has no file or reg rule, so nothing could ever match it"},
      {"date 2026.12.10\nentry n\nfile p default 파일\n", "2: the entry has no info line"},
      {"date 2026.12.10\nfile p default 파일\nentry n\ninfo i\nfile p default 파일\n",
       "2: file before the first entry"},
      {"entry n\ninfo i\nfile p default 파일\n", "3: the list has no date line"},
      {"# only a date\ndate 2026.12.10\n", "2: the list has no entry"},
      {"date \"2026.12.10 \"\nentry n\ninfo i\nfile p default 파일\n",
       "1: the date ends in a blank, which the reader drops"},
      {head + "date 2026.12.11\nfile p default 파일\n",
       "4: a second date line (the first is line 1)"},
      {head + "info j\nfile p default 파일\n",
       "4: a second info line for this entry (the first is line 3)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.list);
    ScratchFolder folder;
    const std::string list = folder.Write("list.txt", c.list);
    const std::string output = folder.Write("pattern.ini", "the database published before");
    const auto before = folder.Snapshot();

    const Outcome run = Publish({"build", list, output});
    EXPECT_EQ(run.status, kExitInput);
    EXPECT_EQ(run.err, list + ":" + c.fault + "\ntvac-publish build: nothing written\n");
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(folder.Snapshot(), before);
  }
}

TEST(PublishBuild, EveryFaultOfTheListIsNamedAtOnce) {
  ScratchFolder folder;
  const std::string list = folder.Write(
      "list.txt", "date x\nentry n\ninfo i\nfile p 1x 파일\nentry 😀\ninfo i\nfile p 1 파일\n");
  const Outcome run = Publish({"build", list, folder.Path("pattern.ini")});
  EXPECT_EQ(run.err, list +
                         ":4: bad size \"1x\": bytes in decimal (no leading zeros, at most "
                         "2147483647) or default\n" +
                         list + ":5: \"😀\" (U+1F600) has no code page 949 form\n" +
                         "tvac-publish build: nothing written\n");
}

TEST(PublishBuild, AnUnwritableOutputIsAnInputErrorAndLeavesNothing) {
  ScratchFolder folder;
  const std::string list = folder.Write("list.txt", kGoodList);
  EXPECT_EQ(Publish({"build", list, folder.Path("missing/pattern.ini")}).err,
            "tvac-publish build: " + folder.Path("missing/pattern.ini") +
                ": cannot be written: No such file or directory\n");
  EXPECT_EQ(Publish({"build", list, folder.Path("")}).err,
            "tvac-publish build: " + folder.Path("") + ": is a folder\n");
  EXPECT_EQ(folder.Snapshot().size(), 1u);
  EXPECT_EQ(Publish({"build", list, list}).status, kExitInput);
  EXPECT_EQ(ScratchFolder::Read(list), kGoodList);
  EXPECT_EQ(Publish({"build", folder.Path("absent.txt"), folder.Path("p.ini")}).err,
            "tvac-publish build: " + folder.Path("absent.txt") +
                ": cannot be read: No such file or directory\n");
}

TEST(PublishCheck, ExitsZeroOnlyForAUsableDatabaseWithNothingSkippedOrCut) {
  ScratchFolder folder;
  const std::string list = folder.Write("list.txt", kGoodList);
  ASSERT_EQ(Publish({"build", list, folder.Path("good.ini")}).status, kExitOk);
  const Outcome good = Publish({"check", folder.Path("good.ini")});
  EXPECT_EQ(good.status, kExitOk);
  EXPECT_EQ(good.out, folder.Path("good.ini") +
                          "\n  date: 2026.12.10\n  entries: 1\n"
                          "  DeziRiv1 \"n\": 1 file rule, 0 registry rules\n"
                          "usable: the agent reads every entry and rule whole\n");

  const std::string cut = folder.Write(
      "cut.ini", "[TotalCount]\r\nCount=2\r\n[DBINFO]\r\nInfo=x\r\n[DeziRiv1]\r\nName=" +
                     std::string(300, 'Q') + "\r\nInfo=\r\nFileCount=0\r\nRegCount=0\r\n");
  const Outcome bad = Publish({"check", cut});
  EXPECT_EQ(bad.status, kExitInput);
  EXPECT_NE(bad.out.find("  problem: [DeziRiv1] Name holds 300 bytes: the agent reads only the "
                         "first 259\n"),
            std::string::npos)
      << bad.out;
  EXPECT_NE(bad.out.find("  problem: [DeziRiv2] is missing: the agent skips that entry\n"),
            std::string::npos)
      << bad.out;
  EXPECT_EQ(Publish({"check", folder.Path("absent.ini")}).status, kExitInput);
}

TEST(PublishCommand, UsageFaultsExitTwo) {
  const std::vector<std::vector<std::string>> cases = {
      {},
      {"bogus"},
      {"build", "list.txt"},
      {"build", "a", "b", "c"},
      {"check"},
      {"site", "--db", "p.ini", "--db-version", "1", "--base-url", "http://h"},
      {"site", "--db", "p.ini", "--db-version", "1", "out"},
      {"site", "--db", "p.ini", "--db-version", "1", "--base-url", "http://h", "--installer",
       "s.exe", "out"},
      {"site", "--db", "p.ini", "--db", "q.ini", "--db-version", "1", "--base-url", "http://h",
       "out"},
      {"site", "--db", "p.ini", "--db-version", "1", "--base-url", "http://h", "--force", "out"},
      {"site", "--db", "p.ini", "--db-version", "1", "--base-url"},
  };
  for (const auto& args : cases) {
    const Outcome run = Publish(args);
    EXPECT_EQ(run.status, kExitUsage) << ::testing::PrintToString(args);
    EXPECT_NE(run.err.find("usage:"), std::string::npos);
  }
  EXPECT_EQ(Publish({"--help"}).status, kExitOk);
}

}  // namespace
}  // namespace tvac::app::publish
