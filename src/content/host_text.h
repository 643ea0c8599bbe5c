// Text files of the host as the program writes them: in the host's code page and with its
// line end, UTF-8 and LF on POSIX hosts, Windows-1251 and CR LF on Windows (whose local
// code page and line end they are). One definition per host (host_text_posix.cpp,
// host_text_win32.cpp).
#pragma once

#include <string>
#include <string_view>

namespace agat {

// The host's line end in text files that the program writes.
extern const std::string_view SCCRLF;

// Report text (Windows-1251) as the host's text; its line ends are left as they are.
std::string host_text(std::string_view cp1251);

// Text whose lines end in LF or CR LF (Windows-1251) as the host's text, every line
// ending in SCCRLF.
std::string host_text_lines(std::string_view cp1251);

}  // namespace agat
