// The 8 x 8 glyphs in which pictures of Agat text screens, and the texts around a picture,
// are drawn: one glyph for every Agat character code.
#pragma once

#include <array>
#include <cstdint>

namespace agat {

// Eight rows, row 0 at the top; bit 7 of a row is its leftmost pixel.
using TGLYPH8 = std::array<std::uint8_t, 8>;

// Indexed by Agat code. Letters, digits and signs show what A2L makes of the code: Latin
// capitals at $C0..$DF, lower case at $40..$5F, Cyrillic capitals at $E0..$FF and lower
// case at $60..$7F, digits and signs at $A0..$BF, the other Windows-1251 signs at
// $00..$3F. The control codes $80..$9F hold graphics: quarter-cell mosaics at $80..$8F
// (bit 0 the upper left quarter, bit 1 upper right, bit 2 lower left, bit 3 lower right),
// single-line frame pieces at $90..$9A, shades, a dot and a diamond at $9B..$9F.
extern const std::array<TGLYPH8, 256> FONT8;

}  // namespace agat
