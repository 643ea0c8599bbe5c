// The actions that move contents between Agat files and host files: export, with or
// without conversion of the Agat code, and import of host texts and binaries.
#pragma once

#include "ui/interface_formats.h"

namespace agat {

// Exports the marked Agat files (each under its converted Agat name, without a dialog,
// its mark then removed) or else the Agat file under the cursor (under a name the user
// edits) in the format ARG (a TFILEFORMAT; "auto" detects it), without conversion (_F) or
// with it (_T). Names without a directory part are taken in the other panel's host
// directory, or in the start directory when the other panel shows an image.
void AC_EXPORT_F(PPANEL PAN_CUR, PPANEL PAN_OTH, std::int32_t ARG);
void AC_EXPORT_T(PPANEL PAN_CUR, PPANEL PAN_OTH, std::int32_t ARG);

// Asks for a host file (found as export places its files) and imports it into the current
// panel's medium as a new file of format ARG (a plain text, a BASIC program, a B or a K
// file), without conversion (_F) or with it (_T); the cursor then stands on the new file.
void AC_IMPORT_F(PPANEL PAN_CUR, PPANEL PAN_OTH, std::int32_t ARG);
void AC_IMPORT_T(PPANEL PAN_CUR, PPANEL PAN_OTH, std::int32_t ARG);

}  // namespace agat
