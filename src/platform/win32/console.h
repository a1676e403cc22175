#pragma once

#include <string_view>

namespace tvac::platform::win32 {

enum class Stream { kOut, kError };

// Writes code page 949 text: as UTF-16 to a console window, as UTF-8 bytes to a
// pipe or a file.
void WriteText(Stream stream, std::string_view text);

}  // namespace tvac::platform::win32
