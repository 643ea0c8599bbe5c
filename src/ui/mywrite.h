// Console output through a cache that holds text of one colour, and the key read.
//
// The cache collects small pieces of one screen line so that they reach the console in
// one write with one attribute. It holds text of one colour only: every caller empties
// it with MFLUSH before it changes TEXTATTR.
//
// The console services (cursor, clearing, current attribute, screen size) sit here too,
// as one small layer over the active Console.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace agat {

// The current text attribute: applied to everything MWRITE_NOCACHE writes.
extern std::uint8_t TEXTATTR;
// False only while frame characters (DOS code page) are written.
extern bool CONSOLEENCODINGENABLE;

void MWRITE(std::int32_t N);
void MWRITE(char C);
void MWRITE(std::string_view S);
void MWRITE_NOCACHE(std::string_view S);
void MFLUSH();
// The column where the next cached character will appear.
int MWHEREX();
std::uint16_t MREADKEY();

// Console services.
void crt_goto_xy(int x, int y);
int crt_where_x();
int crt_where_y();
void crt_clear_screen();    // the whole screen in TEXTATTR
void crt_clear_line_end();  // the rest of the cursor's row in TEXTATTR
void crt_cursor_on();
void crt_cursor_off();
int crt_screen_width();
int crt_screen_height();

// The cache is dropped unwritten (at program end, and between tests).
void drop_output_cache();

}  // namespace agat
