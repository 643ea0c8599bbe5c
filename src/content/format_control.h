// The entry point through which the user interface reaches the contents of an Agat file:
// detection of a file's content format, and the operations that route a file to the
// module of its format.
#pragma once

#include "content/format_defines.h"
#include "core/world_formats.h"

namespace agat {

// The content format of the loaded file BUF of entry CR: FMT itself unless it is FFAUTO;
// for FFAUTO the format that the type byte (lock bit aside), the name, the head of the
// file and the T/S-list bytes of the entry point to.
TFILEFORMAT FMTDETECT(const TCATREC& CR, const TFILEBUF& BUF, TFILEFORMAT FMT);

}  // namespace agat
