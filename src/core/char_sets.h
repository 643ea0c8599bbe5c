// The Agat character code and its conversion to and from Windows-1251, the code page
// of all text inside the program. Agat Latin letters and digits live in the upper
// half of the code space; Cyrillic letters are in KOI order.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace agat {

// Agat code to Windows-1251: one-to-one over all 256 codes.
std::uint8_t A2L(std::uint8_t b);
char A2L(char c);
// Windows-1251 to Agat. Lower-case Cyrillic becomes Agat 40..5F, the codes of
// lower-case Latin letters, so this is not the exact inverse of A2L there.
std::uint8_t L2A(std::uint8_t b);
char L2A(char c);

// Convert SZ bytes of a buffer in place; SZ <= 0 converts nothing.
void A2L(void* BUF, std::int32_t SZ);
void L2A(void* BUF, std::int32_t SZ);

// Converted copies of a string of any length.
std::string A2L(std::string_view s);
std::string L2A(std::string_view s);

}  // namespace agat
