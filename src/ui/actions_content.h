// The actions that look into files and media rather than move them.
#pragma once

#include "ui/interface_formats.h"

namespace agat {

// Compares the images of both panels sector by sector and shows the report.
void AC_COMPARE_MS(PPANEL PAN_CUR, PPANEL PAN_OTH, std::int32_t ARG);

}  // namespace agat
