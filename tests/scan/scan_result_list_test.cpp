#include "scan/scan_result_list.h"

#include <gtest/gtest.h>

#include <thread>

#include "base/texts.h"

namespace tvac::scan {
namespace {

TEST(ScanResultList, SignatureHitsOnTopMostRecentFirstTracesBelow) {
  ScanResultList list;
  list.InsertSignatureHit("H1", "C:\\1", "k", "m");
  list.InsertSignatureHit("H2", "C:\\2", "k", "m");
  list.AppendTraceHit("T1", "label", "v1", "HKEY_CURRENT_USER\\K", 3);
  list.InsertSignatureHit("H3", "C:\\3", "k", "m");
  list.AppendTraceHit("T2", "label", "v2", "HKEY_CURRENT_USER\\K", 19);
  std::vector<std::string> names;
  for (std::size_t i = 0; i < list.Count(); ++i) names.push_back(list.Field(i, Column::kName));
  EXPECT_EQ(names, (std::vector<std::string>{"H3", "H2", "H1", "T1", "T2"}));
}

TEST(ScanResultList, RowsCarryTheirCategoryCheckStateAndNumber) {
  ScanResultList list;
  list.InsertSignatureHit("name", "C:\\x.exe", "info", "kind");
  list.AppendTraceHit("text", "label", "value", "HKEY_CURRENT_USER\\Key", 19);
  const std::vector<ScanItem> rows = list.Snapshot();
  EXPECT_EQ(rows[0].fields, (std::array<std::string, kColumnCount>{
                                "name", "C:\\x.exe", "info", "kind", "", "MALWARE", "CHECK", ""}));
  EXPECT_EQ(rows[1].fields, (std::array<std::string, kColumnCount>{
                                "text", "label", std::string(texts::kRegistry), "value",
                                "HKEY_CURRENT_USER\\Key", "REGISTRY", "CHECK", "19"}));
}

TEST(ScanResultList, TraceNumbersRaiseTheirGroup) {
  ScanResultList list;
  for (int number : {1, 12, 13, 18, 19, 20, 22, 23, 0}) {
    list.AppendTraceHit("t", "l", "v", "k", number);
  }
  list.InsertSignatureHit("m", "l", "k", "m");
  const Counters c = list.GetCounters();
  EXPECT_EQ(c.malware, 1);
  EXPECT_EQ(c.trace, 9);
  EXPECT_EQ(c.search_doc, 2);
  EXPECT_EQ(c.media, 2);
  EXPECT_EQ(c.internet, 1);
  EXPECT_EQ(c.other, 2);
}

TEST(ScanResultList, FieldsBeyondTheLastRowAreEmpty) {
  ScanResultList list;
  list.InsertSignatureHit("n", "l", "k", "m");
  EXPECT_EQ(list.Field(1, Column::kName), "");
  EXPECT_EQ(list.Field(1000000, Column::kCategory), "");
}

TEST(ScanResultList, CheckStateToggleKeepsTheOtherFields) {
  ScanResultList list;
  list.InsertSignatureHit("n", "l", "k", "m");
  list.SetCheckState(0, kUnchecked);
  EXPECT_EQ(list.Field(0, Column::kCheckState), "EMPTY");
  EXPECT_EQ(list.Field(0, Column::kName), "n");
  list.SetCheckState(0, kChecked);
  EXPECT_EQ(list.Field(0, Column::kCheckState), "CHECK");
}

TEST(ScanResultList, RemoveLeavesCountersAndClearResetsAll) {
  ScanResultList list;
  list.InsertSignatureHit("a", "l", "k", "m");
  list.InsertSignatureHit("b", "l", "k", "m");
  list.Remove(0);
  list.Remove(5);  // beyond the rows: nothing
  EXPECT_EQ(list.Count(), 1u);
  EXPECT_EQ(list.Field(0, Column::kName), "a");
  EXPECT_EQ(list.GetCounters().malware, 2);
  list.Clear();
  EXPECT_EQ(list.Count(), 0u);
  EXPECT_EQ(ResultLine(list.GetCounters()), ResultLine(Counters{}));
}

TEST(ScanResultList, ResultLineText) {
  const Counters c{
      .malware = 3, .trace = 10, .search_doc = 4, .media = 3, .internet = 2, .other = 1};
  const std::string expected =
      std::string(texts::kResultMalware) + "3" + std::string(texts::kResultSearchDoc) + "4" +
      std::string(texts::kResultMedia) + "3" + std::string(texts::kResultInternet) + "2" +
      std::string(texts::kResultOther) + "1)";
  EXPECT_EQ(ResultLine(c), expected);
}

TEST(ScanResultList, ListenerHearsEveryChange) {
  ScanResultList list;
  int changes = 0;
  list.SetListener([&] { ++changes; });
  list.InsertSignatureHit("a", "l", "k", "m");
  list.AppendTraceHit("t", "l", "v", "k", 1);
  list.SetCheckState(0, kUnchecked);
  list.Remove(0);
  list.Clear();
  EXPECT_EQ(changes, 5);
}

TEST(ScanResultListThreads, ReadersSeeRowsAndCountersAgree) {
  constexpr int kRows = 500;  // each read copies every row so far
  ScanResultList list;
  std::thread worker([&] {
    for (int i = 0; i < kRows; ++i) list.AppendTraceHit("t", "l", "v", "k", 1 + i % 22);
  });
  for (int i = 0; i < kRows; ++i) {
    const std::vector<ScanItem> rows = list.Snapshot();
    const Counters c = list.GetCounters();
    EXPECT_LE(rows.size(), static_cast<std::size_t>(c.trace));
    EXPECT_EQ(c.trace, c.search_doc + c.media + c.internet + c.other);
  }
  worker.join();
  EXPECT_EQ(list.Count(), static_cast<std::size_t>(kRows));
}

}  // namespace
}  // namespace tvac::scan
