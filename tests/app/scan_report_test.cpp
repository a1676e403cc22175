#include "app/scan_report.h"

#include <gtest/gtest.h>

#include "base/texts.h"

namespace tvac::app {
namespace {

TEST(ParseScanOptions, Accepted) {
  EXPECT_FALSE(ParseScanOptions({})->tsv);
  EXPECT_FALSE(ParseScanOptions({})->database.has_value());
  const auto both = ParseScanOptions({"--tsv", "--db", "C:\\db\\pattern.ini"});
  ASSERT_TRUE(both.has_value());
  EXPECT_TRUE(both->tsv);
  EXPECT_EQ(both->database, "C:\\db\\pattern.ini");
  EXPECT_EQ(ParseScanOptions({"--db", "--tsv"})->database, "--tsv");
}

TEST(ParseScanOptions, Refused) {
  const std::vector<std::vector<std::string>> cases = {
      {"--db"}, {"--db", ""}, {"--tsv", "--tsv"}, {"--db", "a", "--db", "b"}, {"x"}, {"--TSV"}};
  for (const auto& args : cases) EXPECT_FALSE(ParseScanOptions(args).has_value());
}

scan::ScanItem Row(std::array<std::string, scan::kColumnCount> fields) {
  return {fields};
}

TEST(FormatTsv, OneLinePerRowWithEightFields) {
  const std::vector<scan::ScanItem> rows = {
      Row({"n", "C:\\x", "k", "m1", "", "MALWARE", "CHECK", ""}),
      Row({"two\tline\r\nd", "l", "k", "v", "HKEY_CURRENT_USER\\K", "REGISTRY", "CHECK", "3"})};
  EXPECT_EQ(FormatTsv(rows),
            "n\tC:\\x\tk\tm1\t\tMALWARE\tCHECK\t\n"
            "two line  d\tl\tk\tv\tHKEY_CURRENT_USER\\K\tREGISTRY\tCHECK\t3\n");
  EXPECT_EQ(FormatTsv({}), "");
}

TEST(FormatTable, AlignsColumnsAndEndsWithTheResultLine) {
  const std::vector<scan::ScanItem> rows = {Row({"abc", "C:\\x", "kind", "", "", "", "", ""}),
                                            Row({"a", "C:\\longer", "k", "", "", "", "", ""})};
  const scan::Counters counters{.malware = 2};
  const std::string table = FormatTable(rows, counters);
  const std::string name(texts::kColumnName), location(texts::kColumnLocation);
  // A heading of Hangul syllables is two bytes, and two columns, per syllable.
  const std::size_t name_width = std::max<std::size_t>(name.size(), 3);
  const std::string first_row = "abc" + std::string(name_width - 3, ' ') + "  C:\\x" +
                                std::string(std::max<std::size_t>(location.size(), 9) - 4, ' ') +
                                "  kind\n";
  EXPECT_NE(table.find(first_row), std::string::npos) << table;
  EXPECT_EQ(table.substr(table.size() - scan::ResultLine(counters).size() - 1),
            scan::ResultLine(counters) + "\n");
}

}  // namespace
}  // namespace tvac::app
