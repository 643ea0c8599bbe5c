// The line-wise comparison of two Agat texts, with re-synchronisation after each
// difference, written as a report for the text viewer.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "content/text_viewer.h"

namespace agat {

// The lines of an Agat text, in Windows-1251: $8D starts the next line (and is not kept),
// a byte 0 ends the text early. A text that ends in $8D has an empty last line; the list
// grows with the text, however many lines it has.
std::vector<std::string> GETLINES(std::span<const std::uint8_t> TEXT);

// Appends to R the line-wise comparison of the texts BUF1 and BUF2 (their whole spans):
// each difference as the last equal line, the lines of text 1 ("<<") and of text 2 (">>")
// up to the nearest line the texts share again, that line and a divider; or, when they
// share none, "Синхронизовать не удалось" and the rest of both. Every line takes part,
// the last ones included. True when no line differed.
bool TXT_CMP(TextReport& R, std::span<const std::uint8_t> BUF1, std::span<const std::uint8_t> BUF2);

}  // namespace agat
