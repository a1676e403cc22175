#include "app/publish/cp949.h"

#include <iconv.h>

#include <cerrno>
#include <cstdio>
#include <stdexcept>

namespace tvac::app::publish {
namespace {

// The length of the UTF-8 sequence that `lead` starts; 0 for a byte that starts none.
std::size_t SequenceLength(unsigned char lead) {
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) return 2;
  if (lead >= 0xE0 && lead <= 0xEF) return 3;
  if (lead >= 0xF0 && lead <= 0xF4) return 4;
  return 0;
}

class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {
    if (cd_ == reinterpret_cast<iconv_t>(-1)) {
      throw std::runtime_error(std::string("iconv does not know ") + from + " to " + to);
    }
  }
  ~Converter() { iconv_close(cd_); }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  // Converts from `in`, appending to `out`, until the end or the first byte that does
  // not convert; returns how many input bytes were taken.
  std::size_t Run(std::string_view in, std::string& out) {
    char* in_ptr = const_cast<char*>(in.data());
    std::size_t in_left = in.size();
    char buffer[256];
    while (in_left > 0) {
      char* out_ptr = buffer;
      std::size_t out_left = sizeof buffer;
      const std::size_t done = iconv(cd_, &in_ptr, &in_left, &out_ptr, &out_left);
      out.append(buffer, static_cast<std::size_t>(out_ptr - buffer));
      if (done == static_cast<std::size_t>(-1) && errno != E2BIG) break;
    }
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);  // back to the initial state
    return in.size() - in_left;
  }

 private:
  iconv_t cd_;
};

}  // namespace

bool IsValidUtf8(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const std::size_t length = SequenceLength(lead);
    if (length == 0 || i + length > text.size()) return false;
    for (std::size_t k = 1; k < length; ++k) {
      if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
    }
    if (length == 3) {
      const auto second = static_cast<unsigned char>(text[i + 1]);
      if (lead == 0xE0 && second < 0xA0) return false;   // overlong
      if (lead == 0xED && second >= 0xA0) return false;  // a surrogate
    } else if (length == 4) {
      const auto second = static_cast<unsigned char>(text[i + 1]);
      if (lead == 0xF0 && second < 0x90) return false;   // overlong
      if (lead == 0xF4 && second >= 0x90) return false;  // beyond U+10FFFF
    }
    i += length;
  }
  return true;
}

std::optional<std::string> ToCp949(std::string_view utf8, std::string* unmappable) {
  Converter converter("CP949", "UTF-8");
  std::string out;
  const std::size_t taken = converter.Run(utf8, out);
  if (taken == utf8.size()) return out;
  if (unmappable != nullptr) {
    const std::size_t length = SequenceLength(static_cast<unsigned char>(utf8[taken]));
    *unmappable = std::string(utf8.substr(taken, length == 0 ? 1 : length));
  }
  return std::nullopt;
}

std::string FromCp949(std::string_view cp949) {
  Converter converter("UTF-8", "CP949");
  std::string out;
  while (!cp949.empty()) {
    cp949.remove_prefix(converter.Run(cp949, out));
    if (cp949.empty()) break;
    char escaped[8];
    std::snprintf(escaped, sizeof escaped, "\\x%02X", static_cast<unsigned char>(cp949.front()));
    out += escaped;
    cp949.remove_prefix(1);
  }
  return out;
}

std::string CodePointName(std::string_view utf8) {
  if (utf8.empty()) return "";
  const auto lead = static_cast<unsigned char>(utf8[0]);
  const std::size_t length = SequenceLength(lead);
  if (length == 0 || length > utf8.size()) return "";
  unsigned long code = length == 1 ? lead : lead & (0xFFu >> (length + 1));
  for (std::size_t k = 1; k < length; ++k) code = code << 6 | (utf8[k] & 0x3F);
  char name[16];
  std::snprintf(name, sizeof name, "U+%04lX", code);
  return name;
}

}  // namespace tvac::app::publish
