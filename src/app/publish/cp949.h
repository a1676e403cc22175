#pragma once

#include <optional>
#include <string>
#include <string_view>

// Conversions between the publisher's UTF-8 and the database's code page 949, with
// the C library's iconv.
namespace tvac::app::publish {

bool IsValidUtf8(std::string_view text);

// The code page 949 bytes of a UTF-8 text; nullopt when a character has no code page
// 949 form, and then `unmappable` (when given) holds the first such character.
std::optional<std::string> ToCp949(std::string_view utf8, std::string* unmappable = nullptr);

// Code page 949 bytes as UTF-8, for messages: a byte that starts no character is
// shown as \xNN.
std::string FromCp949(std::string_view cp949);

// "U+1F600" for the first character of a UTF-8 text.
std::string CodePointName(std::string_view utf8);

}  // namespace tvac::app::publish
