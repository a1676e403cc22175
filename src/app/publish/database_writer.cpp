#include "app/publish/database_writer.h"

#include "app/publish/cp949.h"
#include "base/texts.h"
#include "platform/ini.h"

namespace tvac::app::publish {
namespace {

constexpr std::string_view kLineEnd = "\r\n";
constexpr std::size_t kLargestValue = platform::kIniBufferSize - 1;

std::string Join(std::initializer_list<std::string_view> fields) {
  std::string text;
  for (const std::string_view field : fields) {
    if (!text.empty()) text += '#';
    text += field;
  }
  return text;
}

class Writer {
 public:
  explicit Writer(std::vector<Fault>& faults) : faults_(faults) {}

  void Section(std::string_view name) {
    if (!text_.empty()) text_ += kLineEnd;
    text_ += "[" + std::string(name) + "]" + std::string(kLineEnd);
  }
  void Key(std::string_view key, std::string_view value) {
    text_ += std::string(key) + "=" + std::string(value) + std::string(kLineEnd);
  }
  // A Base64 value, when its text fits what the reader takes in.
  void Encoded(int line, std::string_view what, std::string_view key, std::string_view text) {
    if (text.size() > kLargestEncodedText) {
      Fail(line, "the " + std::string(what) + " takes " + std::to_string(text.size()) +
                     " bytes in code page 949; a database value holds at most " +
                     std::to_string(kLargestEncodedText) + " (" +
                     std::to_string(EncodeBase64(text).size()) + " Base64 characters, of which " +
                     "the agent reads " + std::to_string(kLargestValue) + ")");
      return;
    }
    Key(key, EncodeBase64(text));
  }
  void Fail(int line, std::string reason) {
    faults_.push_back({line, std::move(reason)});
    ++count_;
  }

  int faults() const { return count_; }
  const std::string& text() const { return text_; }

 private:
  std::vector<Fault>& faults_;
  std::string text_;
  int count_ = 0;
};

// Reads the written database back as the agent does and names every text that does
// not come back as the list gave it.
void CompareReadBack(const SignatureList& list, Writer& writer) {
  const scan::PatternDatabase db(platform::IniDocument::Parse(writer.text()));
  const auto differs = [&](int line, std::string_view what, std::string_view read,
                           std::string_view listed) {
    if (read == listed) return;
    writer.Fail(line, "the " + std::string(what) + " would read back as \"" + FromCp949(read) +
                          "\" instead of \"" + FromCp949(listed) + "\"");
  };
  differs(list.date_line, "date", db.DbInfo(), list.date);
  if (db.EntryCount() != static_cast<std::int32_t>(list.entries.size())) {
    writer.Fail(list.entries.empty() ? 1 : list.entries.front().line,
                "the entry count would not read back");
  }
  for (std::size_t e = 0; e < list.entries.size(); ++e) {
    const ListedEntry& listed = list.entries[e];
    const auto i = static_cast<std::int32_t>(e + 1);
    const scan::PatternEntry read = db.Entry(i);
    differs(listed.line, "name", read.name, listed.name);
    differs(listed.info_line, "info", read.info, listed.info);
    for (std::size_t j = 0; j < listed.files.size(); ++j) {
      differs(listed.files[j].line, "file rule", RuleText(db.File(i, static_cast<int>(j + 1))),
              RuleText(listed.files[j].rule));
    }
    for (std::size_t j = 0; j < listed.regs.size(); ++j) {
      differs(listed.regs[j].line, "reg rule", RuleText(db.Reg(i, static_cast<int>(j + 1))),
              RuleText(listed.regs[j].rule));
    }
  }
}

}  // namespace

std::string EncodeBase64(std::string_view bytes) {
  static constexpr char kAlphabet[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  for (std::size_t i = 0; i < bytes.size(); i += 3) {
    const std::size_t n = std::min<std::size_t>(3, bytes.size() - i);
    unsigned v = 0;
    for (std::size_t k = 0; k < 3; ++k) {
      v = v << 8 | (k < n ? static_cast<unsigned char>(bytes[i + k]) : 0u);
    }
    out += kAlphabet[v >> 18];
    out += kAlphabet[(v >> 12) & 63];
    out += n > 1 ? kAlphabet[(v >> 6) & 63] : '=';
    out += n > 2 ? kAlphabet[v & 63] : '=';
  }
  return out;
}

std::string RuleText(const scan::FileRule& rule) {
  return Join({rule.path, rule.size, rule.kind});
}

std::string RuleText(const scan::RegRule& rule) {
  return Join({rule.root, rule.subkey, rule.value_name, rule.value_data, rule.kind});
}

std::string WriteDatabase(const SignatureList& list, std::vector<Fault>& faults) {
  Writer writer(faults);
  writer.Section("TotalCount");
  writer.Key("Count", std::to_string(list.entries.size()));

  const std::string date_line = std::string(texts::kDbDateLabel) + list.date;
  writer.Section("DBINFO");
  if (date_line.size() > kLargestValue) {
    writer.Fail(list.date_line, "the date line takes " + std::to_string(date_line.size()) +
                                    " bytes in code page 949 with its label; the agent reads " +
                                    std::to_string(kLargestValue));
  }
  writer.Key("Info", date_line);

  for (std::size_t e = 0; e < list.entries.size(); ++e) {
    const ListedEntry& entry = list.entries[e];
    writer.Section(scan::EntrySection(static_cast<std::int32_t>(e + 1)));
    writer.Encoded(entry.line, "name", "Name", entry.name);
    writer.Encoded(entry.info_line, "info", "Info", entry.info);
    writer.Key("FileCount", std::to_string(entry.files.size()));
    writer.Key("RegCount", std::to_string(entry.regs.size()));
    for (std::size_t j = 0; j < entry.files.size(); ++j) {
      writer.Encoded(entry.files[j].line, "file rule", "File" + std::to_string(j + 1),
                     RuleText(entry.files[j].rule));
    }
    for (std::size_t j = 0; j < entry.regs.size(); ++j) {
      writer.Encoded(entry.regs[j].line, "reg rule", "Reg" + std::to_string(j + 1),
                     RuleText(entry.regs[j].rule));
    }
  }
  // Whatever else would not read back as listed; a fault found before already
  // explains its own text.
  if (faults.empty()) CompareReadBack(list, writer);
  return writer.text();
}

}  // namespace tvac::app::publish
