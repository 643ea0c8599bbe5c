// One-line text input in a centred window, and its forms for host and Agat file names.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/world_formats.h"

namespace agat {

// Lets the user edit BUFFER (Windows-1251, at most MAXLEN characters) under the title
// HD. The whole text starts selected: the first key that edits replaces or empties it.
// The input cursor starts before the first "." so that a name can be retyped in front of
// its extension. True on Enter, false on Escape; BUFFER holds the edited text either way.
// The window stays on the screen. With ORIGIN, each character of the edited BUFFER is
// traced back: ORIGIN[i] is its index in the text proposed, or -1 for a typed one.
bool ENTERSTRING(std::string_view HD, std::string& BUFFER, std::int32_t MAXLEN,
                 std::vector<std::int32_t>* ORIGIN = nullptr);

// A host file name (Windows-1251, as the user types it) of up to 70 characters.
bool DL_ENTERHOSTFILENAME(std::string_view HD, std::string& FN,
                          std::vector<std::int32_t>* ORIGIN = nullptr);

// An Agat file name: edited without its trailing blanks, written back padded with Agat
// blanks whether the user pressed Enter or Escape.
bool DL_ENTERAGATFILENAME(std::string_view HD, TAGATNAME& FN);

}  // namespace agat
