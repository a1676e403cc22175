#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "app/publish/signature_list.h"

// Writing pattern.ini from a signature list, in the form the agent's reader reads.
namespace tvac::app::publish {

// The largest text a Base64 value can carry: its 256 characters fit the reader's
// 259 bytes, while the next size up takes 260.
inline constexpr std::size_t kLargestEncodedText = 192;

// Canonical Base64: the standard alphabet, "=" pads, no line breaks.
std::string EncodeBase64(std::string_view bytes);

// The rule's fields joined with "#".
std::string RuleText(const scan::FileRule& rule);
std::string RuleText(const scan::RegRule& rule);

// The database text: [TotalCount] Count, [DBINFO] Info (the plain date line), then
// sections DeziRiv1 to DeziRivN with Name, Info, FileCount, RegCount, File1.. and
// Reg1.., every text as Base64 of its code page 949 bytes; CRLF lines and a blank
// line after each section. A text the reader would not give back whole is added to
// `faults`, and the text is then not to be used.
std::string WriteDatabase(const SignatureList& list, std::vector<Fault>& faults);

}  // namespace tvac::app::publish
