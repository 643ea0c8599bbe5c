#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include "core/win32_host.h"
#include "streams.h"

namespace agat {

void prepare_standard_streams() {
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
}

bool is_terminal(std::FILE* stream) {
  HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
  DWORD mode = 0;
  return handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode);
}

void write_text(std::FILE* stream, std::string_view utf8) {
  // A console shows the characters (UTF-16), a file or a pipe gets the bytes.
  HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
  DWORD mode = 0;
  if (handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode)) {
    std::fflush(stream);
    std::wstring text = wide_of_utf8(utf8);
    // A line of the console ends in CR LF.
    for (std::size_t at = 0; (at = text.find(L'\n', at)) != std::wstring::npos; at += 2)
      text.insert(at, 1, L'\r');
    DWORD written = 0;
    WriteConsoleW(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    return;
  }
  std::fwrite(utf8.data(), 1, utf8.size(), stream);
}

}  // namespace agat
