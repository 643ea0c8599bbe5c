// Agat texts in the viewer, in host text files and back. Three kinds are read (the table's
// `ContentShown`): the plain DOS 3.3 text, and the texts of "Агат-Автор" and "Автограф",
// both stored as B files with their own start, end marker and codes.
// Import always makes a plain text.
#pragma once

#include <string>

#include "content/format_defines.h"
#include "content/text_viewer.h"
#include "core/world_formats.h"

namespace agat {

// Builds in R (emptied first) what TP_VIEW shows: the text of the loaded file BUF of
// entry CR read as the text kind of FMT (any format that is no text as a plain text), in colour CR_TEXT
// (the colour codes of "Автограф" switch it), then "== EOF ==" on a line of its own.
void text_report(TextReport& R, const TCATREC& CR, const TFILEBUF& BUF, TFILEFORMAT FMT);
// text_report, shown in the viewer.
void TP_VIEW(TCATREC& CR, TFILEBUF& BUF, TFILEFORMAT FMT);

// The text as an exported file holds it (Windows-1251, host line ends, none added after
// the last character, colour codes dropped).
std::string text_export_text(const TCATREC& CR, const TFILEBUF& BUF, TFILEFORMAT FMT);
// Writes text_export_text as the host text file NM (UTF-8 on POSIX hosts), created or
// replaced whole. False, with a critical message, when it cannot be written.
bool TP_EXPORT(TCATREC& CR, TFILEBUF& BUF, TFILEFORMAT FMT, const std::string& NM);

// Reads the host text file NM (UTF-8, or Windows-1251 when it is not valid UTF-8) into
// BUF as a plain Agat text: each line through L2A and ended by $8D (a code $00 stored as
// $5F), then $00. Sets CR.SIZE, CR.EXT = $00 and zero T/S-list data; the caller saves
// the file. False, with a critical message and CR unchanged, when the file cannot be
// read or its text would be longer than an Agat file can be (MAXFILESIZE bytes); BUF is
// then untouched too.
bool TP_IMPORT(TCATREC& CR, TFILEBUF& BUF, const std::string& NM);

}  // namespace agat
