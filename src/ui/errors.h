// The error report: shows what the media core left in its critical-error and warning
// buffers, in a message box when it fits the screen and in the text viewer otherwise,
// and empties both buffers.
#pragma once

#include <cstdint>
#include <string>

#include "content/text_viewer.h"

namespace agat {

// Shows the report, if there is anything to report, and empties both buffers. True
// exactly when there were critical errors; warnings alone give false.
bool ERROR_OCCURED();

// Normalises one buffer in place: carriage returns removed, trailing line feeds dropped.
// True when text remains.
bool PREP1(std::string& BUF);

// Appends BUF to the report R, its line feeds as report line ends, and measures it: L
// lines, the widest MAXW characters.
void PREP2(TextReport& R, const std::string& BUF, std::int32_t& MAXW, std::int32_t& L);

}  // namespace agat
