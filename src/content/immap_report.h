// The VTOC check of the image map as a report: the heading "Анализ VTOC:" and one line
// for each fault the analysis found, for the text viewer and for agatdisk.
#pragma once

#include <string>

#include "content/text_viewer.h"
#include "core/immap.h"

namespace agat {

// One line of the report (Windows-1251): a field's offset in two hexadecimal digits and
// its message, or the track whose free-sector mask has bits set that no sector has.
std::string vtoc_fault_line(const TVTOCFAULT& F);

// The whole report into R, which is emptied first.
void vtoc_report(const TVTOCFAULTS& FAULTS, TextReport& R);

}  // namespace agat
