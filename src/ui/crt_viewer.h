// The full-screen text viewer: shows a text built in the viewer buffer (colour pairs and
// line feeds in-band, see content/text_viewer.h) on the whole screen, scrolls it both
// ways, wraps long lines or not, searches, and saves the text to a host file.
//
// The text area is every row and every column but the last. There is no title or status
// line. Keys: F1 help, F2 save, F3 / Enter / Escape leave, F4 wrap on and off, F7 new
// search, F8 next match, arrows, Home, End (and Delete), PgUp and PgDn scroll.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "content/report_reader.h"

namespace agat {

// Shows the text of S bytes at P until the user leaves.
void TEXTVIEW(const char* P, std::uint32_t S);

// Makes TEXTVIEW the screen that VV_VIEW shows the viewer buffer on.
void install_text_viewer();

namespace crt_viewer {

// Wrapping and the search text live as long as the program: every session starts with
// what the last one left.
extern bool WRAPMODE;
extern std::string SEARCHSTRING;  // Windows-1251

// Every screen line of the text last given to FINDLINES, ENDLINE the index of the last
// one. The table grows with the text, so no line is ever cut off; an index beyond it is
// no line at all.
extern std::vector<ReportLine> LINES;
extern std::int32_t ENDLINE;
extern std::int32_t TOPX;  // text columns scrolled off to the left
extern std::int32_t TOPY;  // the line on the top row

// Splits the text into screen lines: at every line feed, and with WRAPMODE also after
// every screen width - 1 characters (colour pairs take no width). The first line starts
// in the attribute that was current when the viewer opened.
void FINDLINES(const char* TEXT, std::uint32_t SIZE);
// Draws every row from TOPY and TOPX.
void DRAW();
// Asks for a file name and writes the text there as a host text file: the characters
// only, without colour pairs and carriage returns.
void SAVE_TEXT(const char* P, std::uint32_t LEAVE);
// Asks for a new search text; on Enter, searches for it.
void NEW_SEARCH();
// Makes the first line below the top one that holds SEARCHSTRING the top line, or says
// that there is none.
void NEXT_SEARCH();
// The key help.
void HELP();

}  // namespace crt_viewer

}  // namespace agat
