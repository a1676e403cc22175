#include "platform/win32/console.h"

#include <windows.h>

#include "platform/win32/codepage.h"

namespace tvac::platform::win32 {

void WriteText(Stream stream, std::string_view text) {
  const HANDLE handle = GetStdHandle(stream == Stream::kOut ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return;
  const std::wstring wide = Widen(text);
  DWORD mode = 0;
  DWORD written = 0;
  if (GetConsoleMode(handle, &mode)) {
    WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
    return;
  }
  const std::string bytes = ToUtf8(wide);
  std::size_t done = 0;
  while (done < bytes.size()) {
    if (!WriteFile(handle, bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &written,
                   nullptr) ||
        written == 0) {
      return;
    }
    done += written;
  }
}

}  // namespace tvac::platform::win32
