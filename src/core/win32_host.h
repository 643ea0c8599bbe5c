// What the Win32 backends of the core share: host names and paths, which the program keeps
// in UTF-8, as the UTF-16 of the wide calls and back, and the errors of those calls as
// errno values, so that messages and the fault hook speak of failures alike on every host.
#pragma once

#include <string>
#include <string_view>

namespace agat {

// UTF-16 for UTF-8 text. A byte that starts no valid sequence stands for itself (as
// Windows-1251 would show it), so that no name is lost; the three-byte forms of lone
// surrogates, which utf8_of_wide makes, come back as those surrogates.
std::wstring wide_of_utf8(std::string_view utf8);

// UTF-8 for UTF-16 text; a lone surrogate (a name Windows allows, though no Unicode text
// holds one) gets the three-byte form its code would have.
std::string utf8_of_wide(std::wstring_view wide);

// The errno value that stands for the Win32 error code ERROR (GetLastError), EIO for
// the ones without a near equivalent.
int errno_of_win32(unsigned long error);

// Sets errno from GetLastError() and answers it.
int errno_from_last_error();

}  // namespace agat
