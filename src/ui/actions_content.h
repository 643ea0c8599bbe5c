// The actions that look into files and media rather than move them.
#pragma once

#include "ui/interface_formats.h"

namespace agat {

// Shows the Agat file under the cursor in the format ARG (a TFILEFORMAT; "auto" detects
// it); an empty file gets the box "Файл  пуст" instead.
void AC_VIEW(PPANEL PAN_CUR, PPANEL PAN_OTH, std::int32_t ARG);

// Edits the Agat file under the cursor in the hex editor, taken as format ARG, and writes
// it back when it was changed; the cursor stays on it after the reload. A file taken for a
// text, a BASIC program or a picture is not opened: a box says what it was taken for.
void AC_EDIT(PPANEL PAN_CUR, PPANEL PAN_OTH, std::int32_t ARG);

// Shows the information page of the entry under the cursor, whatever it is.
void AC_INFO(PPANEL PAN_CUR, PPANEL PAN_OTH, std::int32_t ARG);

// Compares the Agat files under the cursors of both panels, the current panel's first, in
// the format ARG (a TFILEFORMAT; "auto" detects it) and shows the report. Anything but two
// Agat files is left alone.
void AC_COMPARE_F(PPANEL PAN_CUR, PPANEL PAN_OTH, std::int32_t ARG);

// Compares the images of both panels sector by sector and shows the report.
void AC_COMPARE_MS(PPANEL PAN_CUR, PPANEL PAN_OTH, std::int32_t ARG);

// Marks, in both catalogs, exactly the live Agat files that have no identical namesake (all
// 30 name characters, size and bytes equal) in the other catalog; everything else is
// unmarked.
void AC_COMPARE_MF(PPANEL PAN_CUR, PPANEL PAN_OTH, std::int32_t ARG);

// Opens the sector map of the current panel's image; the panels are re-read afterwards.
void AC_IMMAP(PPANEL PAN_CUR, PPANEL PAN_OTH, std::int32_t ARG);

}  // namespace agat
