// The two keyword vocabularies of the BASIC lister, indexed by token code - $80: the
// Agat words, and their GW-Basic translation for export. Codes $80..$EA are the
// statements and functions; $EB..$FF hold the interpreter's error names (the first one
// starts with a zero byte).
#pragma once

#include <array>
#include <string_view>

namespace agat {

using TKEYWORDS = std::array<std::string_view, 128>;

extern const TKEYWORDS BASICTABLE;   // Agat
extern const TKEYWORDS QBASICTABLE;  // GW-Basic

}  // namespace agat
