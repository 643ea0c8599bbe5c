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
void GOTOXY(int x, int y);
int WHEREX();
int WHEREY();
void CLRSCR();      // the whole screen in TEXTATTR
void CRT_CLREOL();  // the rest of the cursor's row in TEXTATTR
void CURSOR_ON();
void CURSOR_OFF();
int SCREEN_WIDTH();
int SCREEN_HEIGHT();

// The cache is dropped unwritten (at program end, and between tests).
void MDROPCACHE();

}  // namespace agat
