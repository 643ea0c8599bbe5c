// The full-screen hex editor: a block of bytes as a hex dump of 16 bytes a row with their
// Agat characters. Read-only it only scrolls; editing, the bytes are changed in hex or as
// characters, a range is selected (Insert, move, Insert) and copied to the cursor (F5).
// Enter shows the block disassembled, F1 the keys, Escape or F3 leaves (asking whether
// to save when something was changed). The caller's buffer is edited in place; the
// editor never writes files.
#pragma once

#include <cstdint>

namespace agat {

enum TEDITMODE : std::uint8_t {
  MDTEXT = 0,  // typed characters go to the character column
  MDHEX = 1,   // typed hex digits go to the hex column
  MDNONE = 2,  // read-only
};

// Shows the SIZE bytes at BUF, addressed from OFFS. True when the user changed the block
// and confirmed saving it.
bool hex_edit(std::uint8_t* BUF, std::int32_t SIZE, std::int32_t OFFS, bool READONLY);

// Makes hex_edit the screen that content modules reach through HEXDUMP.
void install_hex_editor();

namespace crt_hexedit {

// Rounds an address down to a multiple of 16.
inline constexpr std::int32_t FF = 0x0FFFFFF0;
// A selection end before any selection was made: no address at all.
inline constexpr std::int32_t NO_SELECTION = -1;

// The state lives as long as the program; every session starts with TOP and CURSOR at the
// block's first byte, and the keys keep them inside the block.
extern TEDITMODE EDITMODE;
extern std::int32_t TOP;     // address of the top row, a multiple of 16
extern std::int32_t CURSOR;  // address of the byte under the cursor
extern std::uint8_t CURDIG;  // hex mode: 0 the high, 1 the low digit under the cursor
extern std::int32_t SELBEG;  // the two ends of the selection, in either order
extern std::int32_t SELEND;
extern bool SELMODE;  // the selection follows the cursor

// Draws every row from TOP: the block's bytes from address OFFS up to FINAL (excluded).
void DRAWSCR(const std::uint8_t* PBUF, std::int32_t OFFS, std::int32_t FINAL);
// A hex digit key (0-9, a-f) into the digit CURDIG of byte O; true when it was one.
bool HEXENTER(std::uint8_t* BUF, std::int32_t O, std::uint16_t KEY);
// A character key (codes 32..255) stored at O in the Agat code; true when it was one.
bool TEXTENTER(std::uint8_t* BUF, std::int32_t O, std::uint16_t KEY);
// Copies the selected bytes to the cursor, forward byte by byte, within the block; true
// when a byte was copied (never without a selection).
bool COPY_SEL_AREA(std::uint8_t* BUF, std::int32_t OFFS, std::int32_t SIZE);
// Asks whether the changes are to be saved.
bool ARE_YOU_SURE();
// The key help.
void HELP();

}  // namespace crt_hexedit

}  // namespace agat
