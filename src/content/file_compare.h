// The comparison of two Agat files: a size line, then byte by byte, or line by line for
// plain texts (content/text_compare.h); the report is shown in the text viewer.
#pragma once

#include <cstdint>
#include <span>

#include "content/format_defines.h"
#include "content/text_viewer.h"
#include "core/world_formats.h"

namespace agat {

// Appends to R the byte-wise comparison of the bytes both BUF1 and BUF2 hold: for every
// 256-byte block that differs, one line of the offsets of the first 20 differing bytes
// (6 hex digits each), and "..." when the block has more. True when no byte differed.
bool BIN_CMP(TextReport& R, std::span<const std::uint8_t> BUF1, std::span<const std::uint8_t> BUF2);

// Loads the files of CR1 and CR2 and builds their comparison report in R without showing
// it: both names, the sizes when they differ, then a plain text (by FMT, or by detection
// when FMT is "auto") line by line and anything else byte by byte over the shorter length,
// and "Отличий не найдено." when the files are equal. EQU tells whether they are: of equal
// size and without a difference. False, with the core's message in the critical buffer,
// when a file could not be loaded.
bool compare_files(TCATREC& CR1, TCATREC& CR2, TFILEFORMAT FMT, TextReport& R, bool& EQU);

// Compares the file under the cursor, CR1, with CR2 of the other panel and shows the report
// (both must be Agat files). A failed load shows nothing: the caller reports the error.
void CC_COMPARE(TCATREC& CR1, TCATREC& CR2, TFILEFORMAT FMT);

}  // namespace agat
