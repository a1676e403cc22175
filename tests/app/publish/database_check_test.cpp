#include "app/publish/database_check.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "app/publish/cp949.h"
#include "app/publish/database_writer.h"

namespace tvac::app::publish {
namespace {

std::string B64(std::string_view utf8) {
  return EncodeBase64(ToCp949(utf8).value());
}

// A database of one entry whose section holds `keys` (CRLF lines) after its name.
std::string OneEntry(const std::string& keys, const std::string& count = "1") {
  return "[TotalCount]\r\nCount=" + count +
         "\r\n[DBINFO]\r\nInfo=x\r\n[DeziRiv1]\r\nName=" + B64("이름") + "\r\nInfo=" + B64("설명") +
         "\r\n" + keys;
}

const std::string kFile = B64("C:\\x.exe#default#파일");
const std::string kReg = B64("HKEY_CURRENT_USER#S#n#default#레지값");

TEST(CheckDatabase, ReportsWhatTheAgentReads) {
  const DatabaseReport report =
      CheckDatabase("[TotalCount]\r\nCount=2\r\n[DBINFO]\r\nInfo=" +
                    ToCp949("마지막 DB 업데이트 일자 : 2026.12.10").value() +
                    "\r\n[DeziRiv1]\r\nName=" + B64("첫째") + "\r\nInfo=" + B64("설명") +
                    "\r\nFileCount=2\r\nRegCount=1\r\nFile1=" + kFile + "\r\nFile2=" + kFile +
                    "\r\nReg1=" + kReg + "\r\n[DeziRiv2]\r\nName=" + B64("둘째") +
                    "\r\nInfo=\r\nFileCount=0\r\nRegCount=1\r\n" + "Reg1=" + kReg + "\r\n");
  EXPECT_EQ(report.problems, std::vector<std::string>{});
  EXPECT_TRUE(report.clean());
  EXPECT_EQ(FromCp949(report.date), "2026.12.10");
  ASSERT_EQ(report.entries.size(), 2u);
  EXPECT_EQ(FromCp949(report.entries[0].name), "첫째");
  EXPECT_EQ(report.entries[0].file_rules, 2);
  EXPECT_EQ(report.entries[0].reg_rules, 1);
  EXPECT_EQ(report.entries[1].file_rules, 0);
  EXPECT_EQ(report.entries[1].reg_rules, 1);
  EXPECT_EQ(FormatReport(report, "p.ini"),
            "p.ini\n  date: 2026.12.10\n  entries: 2\n"
            "  DeziRiv1 \"첫째\": 2 file rules, 1 registry rule\n"
            "  DeziRiv2 \"둘째\": 0 file rules, 1 registry rule\n"
            "usable: the agent reads every entry and rule whole\n");
}

TEST(CheckDatabase, NamesWhatTheAgentWouldSkipOrCut) {
  const struct {
    std::string ini;
    std::string problem;
  } cases[] = {
      {OneEntry("FileCount=1\r\nRegCount=0\r\nFile1=" + EncodeBase64(std::string(250, 'x')) +
                "\r\n"),
       "[DeziRiv1] File1 holds 336 bytes: the agent reads only the first 259"},
      {OneEntry("FileCount=1\r\nRegCount=0\r\nFile1=" + kFile + "\r\n", "3"),
       "[DeziRiv2] to [DeziRiv3] are missing: the agent skips them"},
      {OneEntry("FileCount=1\r\nRegCount=0\r\nFile1=" + kFile + "\r\n") +
           "[DeziRiv2]\r\nName=QUJD\r\n",
       "[DeziRiv2] after Count=1: the agent never reads it"},
      {OneEntry("FileCount=3\r\nRegCount=0\r\nFile1=" + kFile + "\r\n"),
       "[DeziRiv1] File2 to File3 are missing"},
      {OneEntry("FileCount=1\r\nRegCount=0\r\nFile1=" + kFile + "\r\nFile2=" + kFile + "\r\n"),
       "[DeziRiv1] File2 after FileCount=1: the agent never reads it"},
      {OneEntry("RegCount=0\r\nFile1=" + kFile + "\r\n"),
       "[DeziRiv1] FileCount is missing: the agent reads no file rule"},
      {OneEntry("FileCount=1x\r\nRegCount=0\r\nFile1=" + kFile + "\r\n"),
       "[DeziRiv1] FileCount=1x is not a plain number: the agent reads 1"},
      {OneEntry("FileCount=1\r\nRegCount=0\r\nFile1=" + B64("C:\\x.exe#default") + "\r\n"),
       "[DeziRiv1] File1 has 2 of the 3 fields path#size#kind: the agent reads the missing ones "
       "as empty"},
      {OneEntry("FileCount=0\r\nRegCount=1\r\nReg1=" + B64("HKEY_CURRENT_USER#S#n#레지값") +
                "\r\n"),
       "[DeziRiv1] Reg1 has 4 of the 5 fields root#subkey#name#data#kind: the agent reads the "
       "missing ones as empty"},
      {OneEntry("FileCount=1\r\nRegCount=0\r\nFile1=" + B64("C:\\x.exe#default#파일#x") + "\r\n"),
       "[DeziRiv1] File1 has 4 fields: the agent ignores those after the 3 of path#size#kind"},
      {OneEntry("FileCount=1\r\nRegCount=0\r\nFile1=" + B64("C:\\x.exe#default#파일들") + "\r\n"),
       "[DeziRiv1] File1 has the unknown kind \"파일들\": the agent tests the path as it stands"},
      {OneEntry("FileCount=1\r\nRegCount=0\r\nFile1=" + B64("C:\\x.exe#12k#파일") + "\r\n"),
       "[DeziRiv1] File1 has the size \"12k\", neither default nor a size in decimal: it matches "
       "no file"},
      {OneEntry("FileCount=0\r\nRegCount=1\r\nReg1=" + B64("HKEY_USERS#S#n#d#레지값") + "\r\n"),
       "[DeziRiv1] Reg1 has the unknown root \"HKEY_USERS\": the agent skips it"},
      {OneEntry("FileCount=0\r\nRegCount=1\r\nReg1=" + B64("HKEY_CURRENT_USER#S#n#d#레지") +
                "\r\n"),
       "[DeziRiv1] Reg1 has the unknown kind \"레지\": the agent skips it"},
      {OneEntry("FileCount=1\r\nRegCount=0\r\nFile1=" + kFile.substr(0, 8) + " " + kFile.substr(8) +
                "\r\n"),
       "[DeziRiv1] File1 is not canonical Base64: the agent decodes it as "
       "\"C:\\x.exe#default#파일\""},
      {OneEntry("FileCount=1\r\nRegCount=0\r\nFile1=" + kFile + "\r\n", "1x"),
       "[TotalCount] Count=1x is not a plain number: the agent reads 1"},
      {"[TotalCount]\r\nCount=1\r\n[DeziRiv1]\r\nInfo=\r\nFileCount=1\r\nRegCount=0\r\nFile1=" +
           kFile + "\r\n",
       "[DBINFO] Info is missing: the agent shows no database date"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.ini);
    const DatabaseReport report = CheckDatabase(c.ini);
    EXPECT_TRUE(report.usable());
    // A fault may bring others with it; the one the case is about is among them.
    EXPECT_NE(std::find(report.problems.begin(), report.problems.end(), c.problem),
              report.problems.end())
        << ::testing::PrintToString(report.problems);
    EXPECT_FALSE(report.clean());
  }
}

TEST(CheckDatabase, ADatabaseWithoutAPositiveCountIsNotUsable) {
  for (const std::string count : {"0", "-1", "abc", ""}) {
    const DatabaseReport report = CheckDatabase(OneEntry("FileCount=1\r\nFile1=" + kFile, count));
    EXPECT_FALSE(report.usable()) << count;
    EXPECT_EQ(report.problems, std::vector<std::string>{"[TotalCount] Count=" + count +
                                                        " is not a positive number: the agent "
                                                        "reads no entry"});
    EXPECT_TRUE(report.entries.empty());
  }
  const DatabaseReport none = CheckDatabase("");
  EXPECT_FALSE(none.usable());
  EXPECT_EQ(none.problems, (std::vector<std::string>{
                               "[TotalCount] Count is missing: the agent reads no entry",
                               "[DBINFO] Info is missing: the agent shows no database date"}));
  EXPECT_NE(FormatReport(none, "p.ini").find("not usable"), std::string::npos);
}

}  // namespace
}  // namespace tvac::app::publish
