// Export of Agat files to host files and import of host files as new Agat files, routed by
// content format: texts (content/text_proc.h), BASIC listings (content/basic_proc.h, read
// back by content/basic_tokenise.h) and binaries (content/exec_proc.h).
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "content/format_defines.h"
#include "core/world_formats.h"

namespace agat {

// The suffix of the host file that a file exported in format FMT (not "auto") gets:
// ".txt" for texts, ".bas" for BASIC, ".bin" for every other format.
std::string_view export_suffix(TFILEFORMAT FMT);

// Writes the loaded file BUF of entry CR in format FMT (not "auto") as the host file NM,
// created or replaced whole. SUBMODE: BASIC in GW-Basic keywords, binaries converted byte
// by byte to Windows-1251; texts are always converted. False, with a critical message,
// when the file cannot be written.
bool export_loaded(TCATREC& CR, TFILEBUF& BUF, TFILEFORMAT FMT, const std::string& NM,
                   bool SUBMODE);

// Asked whether the existing host file PATH may be replaced by an export.
using TREPLACEQUESTION = std::function<bool(const std::string& PATH)>;

// Loads the Agat file SRC and exports it in format FMT ("auto": detected) to the host file
// DST followed by the format's suffix. An existing host file of that name is replaced only
// when ASK answers yes (a no cancels the export); without ASK the export gets the first
// free name NAME~1.EXT, NAME~2.EXT ... beside it, and a warning names it. A failed load
// or write leaves its message for the caller's error report.
void CC_EXPORT(TCATREC& SRC, const std::string& DST, TFILEFORMAT FMT, bool SUBMODE,
               const TREPLACEQUESTION& ASK = {});

// The formats a host file can be imported as, those of the table's column `importable`: a
// plain text, a BASIC program, raw bytes, a K file, a B file.
bool is_import_format(TFILEFORMAT FMT);

// Reads the host file SRC as a new Agat file of format FMT (SUBMODE: binaries converted
// from Windows-1251 to the Agat code) and saves it into DST's medium under DST's name, a
// host name being made unique. In an image a live file of that name is kept: the new one
// is named NAME~1, NAME~2 ... (a warning says which), unless REPLACE lets it take the
// namesake's place as a copy does. DST is the prepared entry (name, medium; for a host
// medium the host name); its size, type, T/S-list bytes and the name it got are set here.
// True when it was saved; otherwise a critical message says why and nothing was written.
bool CC_IMPORT(const std::string& SRC, TCATREC& DST, TFILEFORMAT FMT, bool SUBMODE,
               bool REPLACE = false);

// What an import does once the new file is in BUF and DST holds its size, type and T/S-list
// bytes: the last sector filled up with zeros, the name made unique (unless REPLACE) and the
// file saved. True when it was saved.
bool save_import(TCATREC& DST, TFILEBUF& BUF, bool REPLACE);

}  // namespace agat
