// The entry point through which the user interface reaches the contents of an Agat file:
// detection of a file's content format, and the operations that route a file to the
// module of its format. Export and import are in content/export_import.h, the information
// page in content/info_page.h, the comparison in content/file_compare.h.
#pragma once

#include <optional>

#include "content/format_defines.h"
#include "content/text_viewer.h"
#include "core/world_formats.h"

namespace agat {

// The content format of the loaded file BUF of entry CR that the type byte (lock bit
// aside), the name, the head of the file and the T/S-list bytes of the entry point to (with
// the loaded length, for the MouseGraph pictures saved whole); never "auto".
TFILEFORMAT detect_format(const TCATREC& CR, const TFILEBUF& BUF);

// The content format FMT asks for: FMT itself, or the detected one when it is "auto".
TFILEFORMAT FMTDETECT(const TCATREC& CR, const TFILEBUF& BUF, TFILEFORMAT FMT);

// The format a binary's code is taken by whatever it holds: for a B file (type 04) the load
// address and length that lead its bytes, for a K file (type 20) those of its T/S list.
TFILEFORMAT code_format(std::uint8_t TYPE);

// Loads the Agat file of CR into BUF for a content operation. False when the core reported
// a critical error (the caller's error report shows it). The four bytes after the file are
// cleared, so that the head of a file shorter than four bytes reads as zeros, never as the
// bytes an earlier file left in the buffer.
bool load_content(TCATREC& CR, TFILEBUF& BUF);

// The view of the loaded file BUF of entry CR in format FMT (not "auto") as text, built
// anew in R: a text, a BASIC listing, or for every other format the disassembly listing of
// the code (pictures as their raw bytes).
void view_report(TextReport& R, const TCATREC& CR, TFILEBUF& BUF, TFILEFORMAT FMT);

// Shows the Agat file CR in format FMT ("auto": detected): texts and BASIC programs in the
// viewer, binaries in the read-only hex editor, pictures in the graphics window. True
// only when the file is empty (nothing was shown, so the caller can say so). A failed load
// shows nothing and leaves the message to the caller's error report.
bool CC_VIEW(TCATREC& CR, TFILEFORMAT FMT);

// Whether the hex editor takes a file of format FMT: a raw, B or K binary.
bool is_editable_format(TFILEFORMAT FMT);

// Edits the Agat file CR in the hex editor when FMT ("auto": detected) is a raw, B or K
// binary, and writes it back over itself when the editor reports a change the user wants
// saved. A locked or deleted file is not opened for editing: a critical message says why.
// Gives the format the file was taken for, so that the caller can say why a file of
// another format was not opened; nothing when nothing was loaded or the file is empty.
std::optional<TFILEFORMAT> CC_EDIT(TCATREC& CR, TFILEFORMAT FMT);

}  // namespace agat
