// Framed windows drawn with single-line box characters, a centred variant, and the
// centred message box that waits for a key.
//
// Coordinates are 1-based screen columns and rows. A window covers what was under it;
// the caller redraws its own screen afterwards.
#pragma once

#include <cstdint>
#include <string_view>

namespace agat {

// Draws a cleared window with its frame from (X1, Y1) to (X2, Y2) inclusive in COLBORD,
// and the title HD centred on the top line in COLHEAD. A title that is to stand off the
// frame carries its own blanks. Leaves TEXTATTR at COLHEAD; the output cache is not used.
void SW_MAKEWIN(std::int32_t X1, std::int32_t Y1, std::int32_t X2, std::int32_t Y2,
                std::uint8_t COLBORD, std::uint8_t COLHEAD, std::string_view HD);

// Draws a window centred on the screen that spans W + 1 columns and H + 1 rows, and
// returns its top-left corner.
void SW_MAKECWIN(std::int32_t W, std::int32_t H, std::uint8_t COLBORD, std::uint8_t COLHEAD,
                 std::string_view HD, std::int32_t& X1, std::int32_t& Y1);

// Measures a text of lines separated by line feeds: W is the length of the longest line
// (every other character, a carriage return too, counts), H the number of lines. An
// empty text is one empty line.
void CALCSIZE(std::string_view S, std::int32_t& W, std::int32_t& H);

// A centred box with the lines of BD (separated by line feeds) and one blank column on
// each side of them; waits for any key.
void SW_MESSAGE(std::uint8_t COLBORD, std::uint8_t COLHEAD, std::uint8_t COLMSG,
                std::string_view HD, std::string_view BD);

}  // namespace agat
