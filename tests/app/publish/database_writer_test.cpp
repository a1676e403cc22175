#include "app/publish/database_writer.h"

#include <gtest/gtest.h>

#include "app/publish/cp949.h"
#include "app/publish/scratch_folder.h"
#include "base/texts.h"
#include "platform/ini.h"

namespace tvac::app::publish {
namespace {

std::string Cp949(std::string_view utf8) {
  return ToCp949(utf8).value();
}

// A field in quotes, its quotes doubled.
std::string Quote(std::string_view text) {
  std::string out = "\"";
  for (const char c : text) out += c == '"' ? std::string("\"\"") : std::string(1, c);
  return out + "\"";
}

std::string Repeat(std::string_view text, int times) {
  std::string out;
  for (int i = 0; i < times; ++i) out += text;
  return out;
}

struct Built {
  std::string text;
  std::vector<std::string> faults;
  scan::PatternDatabase db() const {
    return scan::PatternDatabase(platform::IniDocument::Parse(text));
  }
};

Built Build(const std::string& list) {
  std::vector<Fault> faults;
  Built built;
  built.text = WriteDatabase(ParseSignatureList(list, faults), faults);
  built.faults = FormatFaults(faults, "list.txt");
  return built;
}

TEST(EncodeBase64, Canonical) {
  EXPECT_EQ(EncodeBase64(""), "");
  EXPECT_EQ(EncodeBase64("A"), "QQ==");
  EXPECT_EQ(EncodeBase64("AB"), "QUI=");
  EXPECT_EQ(EncodeBase64("ABC"), "QUJD");
  EXPECT_EQ(EncodeBase64("\xFF\xFE\xFD\xFC"), "//79/A==");
  std::string every_byte;
  for (int b = 1; b < 256; ++b) every_byte += static_cast<char>(b);
  EXPECT_EQ(scan::DecodeBase64(EncodeBase64(every_byte)), every_byte);
}

// Texts that a line-based list or an INI file could easily mangle.
const std::vector<std::string> kAwkwardTexts = {
    "시험.트로이목마", "  앞뒤에 공백  ", "key=value",          "=",
    "a;b ; c",         ";주석처럼",       "말 \"따옴표\" 안",   "\"",
    "'작은따옴표'",    "[DBINFO]",        "C:\\폴더\\파일.exe", "탭 없는 긴 문장, 쉼표와 마침표.",
};

TEST(BuildDatabase, TheAgentsReaderGivesBackEveryTextExactly) {
  for (const std::string& text : kAwkwardTexts) {
    SCOPED_TRACE(text);
    const std::string q = Quote(text);
    const Built built =
        Build("date 2026.12.10\nentry " + q + "\ninfo " + q + "\nfile " + q +
              " 12 파일\nreg HKEY_CURRENT_USER " + q + " " + q + " " + q + " 레지값\n");
    ASSERT_EQ(built.faults, std::vector<std::string>{});
    const scan::PatternDatabase db = built.db();
    EXPECT_EQ(db.EntryCount(), 1);
    const scan::PatternEntry entry = db.Entry(1);
    EXPECT_EQ(entry.name, Cp949(text));
    EXPECT_EQ(entry.info, Cp949(text));
    EXPECT_EQ(entry.file_count, 1);
    EXPECT_EQ(entry.reg_count, 1);
    const scan::FileRule file = db.File(1, 1);
    EXPECT_EQ(file.path, Cp949(text));
    EXPECT_EQ(file.size, "12");
    EXPECT_EQ(file.kind, texts::kKindFile);
    const scan::RegRule reg = db.Reg(1, 1);
    EXPECT_EQ(reg.root, "HKEY_CURRENT_USER");
    EXPECT_EQ(reg.subkey, Cp949(text));
    EXPECT_EQ(reg.value_name, Cp949(text));
    EXPECT_EQ(reg.value_data, Cp949(text));
    EXPECT_EQ(reg.kind, texts::kKindRegValue);
  }
}

TEST(BuildDatabase, EntriesAndRulesKeepTheirOrderAndTheDateItsLabel) {
  const Built built = Build(
      "\xEF\xBB\xBF# a list saved with a byte-order mark\r\n"
      "date \"2026.12.10 (월)\"\r\n"
      "\r\n"
      "entry 첫째\r\n  info 하나\r\n"
      "  file C:\\a.exe default 파일\r\n  file b.dll 0 시스템\r\n  file c 1 MD5\r\n"
      "entry 둘째\r\ninfo \"\"\r\n"
      "\treg HKEY_LOCAL_MACHINE \"SOFTWARE\\X\" \"\" default 레지키\r\n"
      "\treg HKEY_CLASSES_ROOT .x \"값 이름\" 2147483647 레지값\r\n"
      "entry 셋째\ninfo 셋\nfile \"%s\\사용자이름\\x\" 2147483647 바탕화면\nfile d 1 윈도우\n"
      "file e 1 폴더\nfile f 1 프로그램그룹\n");
  ASSERT_EQ(built.faults, std::vector<std::string>{});
  const scan::PatternDatabase db = built.db();
  EXPECT_EQ(db.DbInfo(), Cp949("2026.12.10 (월)"));
  EXPECT_NE(built.text.find("[DBINFO]\r\nInfo=" + std::string(texts::kDbDateLabel) +
                            Cp949("2026.12.10 (월)") + "\r\n"),
            std::string::npos);
  ASSERT_EQ(db.EntryCount(), 3);
  EXPECT_EQ(db.Entry(1).name, Cp949("첫째"));
  EXPECT_EQ(db.Entry(2).name, Cp949("둘째"));
  EXPECT_EQ(db.Entry(2).info, "");
  EXPECT_EQ(db.Entry(3).name, Cp949("셋째"));
  EXPECT_EQ(db.Entry(1).file_count, 3);
  EXPECT_EQ(db.Entry(1).reg_count, 0);
  EXPECT_EQ(db.Entry(2).file_count, 0);
  EXPECT_EQ(db.Entry(2).reg_count, 2);
  EXPECT_EQ(db.File(1, 2).path, "b.dll");
  EXPECT_EQ(db.File(1, 2).size, "0");
  EXPECT_EQ(db.File(1, 3).kind, texts::kKindMd5);
  EXPECT_EQ(db.Reg(2, 1).value_name, "");
  EXPECT_EQ(db.Reg(2, 1).kind, texts::kKindRegKey);
  EXPECT_EQ(db.Reg(2, 2).root, "HKEY_CLASSES_ROOT");
  EXPECT_EQ(db.Reg(2, 2).value_name, Cp949("값 이름"));
  EXPECT_EQ(db.File(3, 1).path, Cp949("%s\\사용자이름\\x"));
  const std::string_view* kinds[] = {&texts::kKindDesktop, &texts::kKindWindows,
                                     &texts::kKindFolder, &texts::kKindProgramGroup};
  for (int j = 1; j <= 4; ++j) EXPECT_EQ(db.File(3, j).kind, *kinds[j - 1]);
}

TEST(BuildDatabase, AValueHoldsWhatItsBase64CarriesWithin259Bytes) {
  // Canonical Base64 comes in fours: 192 bytes take 256 characters, which the reader's
  // 259 bytes hold; 193 take 260, and the reader would cut them.
  EXPECT_EQ(EncodeBase64(std::string(192, 'x')).size(), 256u);
  EXPECT_EQ(EncodeBase64(std::string(193, 'x')).size(), 260u);
  const std::string name192 = Repeat("가", 96), name193 = name192 + "x";
  // A rule's fields and separators: "#default#" and 파일 take 13 bytes.
  const std::string path179(179, 'p'), path180(180, 'p');
  const std::string date233 = Repeat("일", 116) + ".", date234 = date233 + ".";
  const auto list = [](const std::string& date, const std::string& name, const std::string& path) {
    return "date " + Quote(date) + "\nentry " + Quote(name) + "\ninfo i\nfile " + path +
           " default 파일\n";
  };

  const Built fits = Build(list(date233, name192, path179));
  ASSERT_EQ(fits.faults, std::vector<std::string>{});
  EXPECT_NE(fits.text.find("\r\nName=" + EncodeBase64(Cp949(name192)) + "\r\n"), std::string::npos);
  EXPECT_EQ(fits.db().Entry(1).name, Cp949(name192));
  EXPECT_EQ(fits.db().File(1, 1).path, path179);
  EXPECT_EQ(fits.db().DbInfo(), Cp949(date233));

  EXPECT_EQ(Build(list(date233, name193, path179)).faults,
            std::vector<std::string>{"list.txt:2: the name takes 193 bytes in code page 949; a "
                                     "database value holds at most 192 (260 Base64 characters, "
                                     "of which the agent reads 259)"});
  EXPECT_EQ(Build(list(date233, name192, path180)).faults,
            std::vector<std::string>{"list.txt:4: the file rule takes 193 bytes in code page "
                                     "949; a database value holds at most 192 (260 Base64 "
                                     "characters, of which the agent reads 259)"});
  EXPECT_EQ(Build(list(date234, name192, path179)).faults,
            std::vector<std::string>{
                "list.txt:1: the date line takes 260 bytes in code page 949 with its label; "
                "the agent reads 259"});
}

TEST(BuildDatabase, ADateThatHoldsTheLabelIsRefusedAsItWouldNotReadBack) {
  const Built built =
      Build("date \"2026 마지막 DB 업데이트 일자 : x\"\nentry n\ninfo i\nfile p default 파일\n");
  EXPECT_EQ(built.faults, std::vector<std::string>{"list.txt:1: the date would read back as "
                                                   "\"2026 x\" instead of \"2026 마지막 DB "
                                                   "업데이트 일자 : x\""});
}

TEST(SampleDatabase, IsBuiltFromItsListByteForByte) {
  const std::string list =
      test_support::ScratchFolder::Read(TVAC_SOURCE_DIR "/res/sample/signatures.txt");
  const std::string committed =
      test_support::ScratchFolder::Read(TVAC_SOURCE_DIR "/res/sample/pattern.ini");
  const Built built = Build(list);
  ASSERT_EQ(built.faults, std::vector<std::string>{});
  EXPECT_EQ(built.text, committed)
      << "rebuild it: tvac-publish build res/sample/signatures.txt res/sample/pattern.ini";
  EXPECT_EQ(built.db().EntryCount(), 4);
}

}  // namespace
}  // namespace tvac::app::publish
