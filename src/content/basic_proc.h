// The lister of tokenised Agat BASIC programs (type 02): a coloured listing for the
// viewer, one statement per screen line, with the program's damage told in words; and
// the export of the program as a host text in Agat or in GW-Basic keywords. Both decode
// the program's table of long variable names and list it after the program.
#pragma once

#include <string>

#include "content/text_viewer.h"
#include "core/world_formats.h"

namespace agat {

// Builds in R (emptied first) what BP_VIEW shows for the loaded program BUF of entry CR:
// the damage of its size and line chain, the lines, the first free byte, an area of
// unknown use, and the table of long variable names. Reads no byte at or beyond CR.SIZE
// (at most 65535 bytes are listed).
void basic_listing(TextReport& R, const TCATREC& CR, const TFILEBUF& BUF);
// basic_listing, shown in the viewer.
void BP_VIEW(TCATREC& CR, TFILEBUF& BUF);

// The program as exported text (Windows-1251, host line ends): one line per program
// line, Agat or (GWBASIC) GW-Basic keywords, control characters as "^" and a letter,
// then the table of long variable names; no damage messages.
std::string basic_export_text(const TCATREC& CR, const TFILEBUF& BUF, bool GWBASIC);
// Writes basic_export_text as the host text file NM (UTF-8 on POSIX hosts), created or
// replaced whole. False, with a critical message, when it cannot be written.
bool BP_EXPORT(TCATREC& CR, TFILEBUF& BUF, const std::string& NM, bool GWBASIC);

}  // namespace agat
