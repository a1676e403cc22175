#include "fakes/pattern_builder.h"

namespace tvac::fakes {

std::string EncodeBase64(std::string_view bytes) {
  static constexpr char kAlphabet[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  std::size_t i = 0;
  for (; i + 2 < bytes.size(); i += 3) {
    const unsigned v = static_cast<unsigned char>(bytes[i]) << 16 |
                       static_cast<unsigned char>(bytes[i + 1]) << 8 |
                       static_cast<unsigned char>(bytes[i + 2]);
    out += {kAlphabet[v >> 18], kAlphabet[(v >> 12) & 63], kAlphabet[(v >> 6) & 63],
            kAlphabet[v & 63]};
  }
  if (i + 1 == bytes.size()) {
    const unsigned v = static_cast<unsigned char>(bytes[i]) << 16;
    out += {kAlphabet[v >> 18], kAlphabet[(v >> 12) & 63], '=', '='};
  } else if (i + 2 == bytes.size()) {
    const unsigned v =
        static_cast<unsigned char>(bytes[i]) << 16 | static_cast<unsigned char>(bytes[i + 1]) << 8;
    out += {kAlphabet[v >> 18], kAlphabet[(v >> 12) & 63], kAlphabet[(v >> 6) & 63], '='};
  }
  return out;
}

std::string RuleText(std::initializer_list<std::string_view> fields) {
  std::string rule;
  for (std::string_view f : fields) {
    if (!rule.empty()) rule += '#';
    rule += f;
  }
  return rule;
}

PatternBuilder& PatternBuilder::Entry(std::string name, std::string info) {
  entries_.push_back({std::move(name), std::move(info), {}, {}});
  return *this;
}

PatternBuilder& PatternBuilder::File(std::string rule) {
  entries_.back().files.push_back(std::move(rule));
  return *this;
}

PatternBuilder& PatternBuilder::Reg(std::string rule) {
  entries_.back().regs.push_back(std::move(rule));
  return *this;
}

PatternBuilder& PatternBuilder::Count(std::string count) {
  count_ = std::move(count);
  count_set_ = true;
  return *this;
}

PatternBuilder& PatternBuilder::DbInfo(std::string info) {
  db_info_ = std::move(info);
  return *this;
}

std::string PatternBuilder::Build() const {
  std::string out =
      "[TotalCount]\r\nCount=" + (count_set_ ? count_ : std::to_string(entries_.size())) + "\r\n";
  if (!db_info_.empty()) out += "[DBINFO]\r\nInfo=" + db_info_ + "\r\n";
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    const Item& e = entries_[i];
    out += "[DeziRiv" + std::to_string(i + 1) + "]\r\n";
    out += "Name=" + EncodeBase64(e.name) + "\r\nInfo=" + EncodeBase64(e.info) + "\r\n";
    out += "FileCount=" + std::to_string(e.files.size()) + "\r\n";
    out += "RegCount=" + std::to_string(e.regs.size()) + "\r\n";
    for (std::size_t j = 0; j < e.files.size(); ++j) {
      out += "File" + std::to_string(j + 1) + "=" + EncodeBase64(e.files[j]) + "\r\n";
    }
    for (std::size_t j = 0; j < e.regs.size(); ++j) {
      out += "Reg" + std::to_string(j + 1) + "=" + EncodeBase64(e.regs[j]) + "\r\n";
    }
  }
  return out;
}

}  // namespace tvac::fakes
