// The panel manager: draws both panels and handles the keys that move the cursor, mark
// entries and switch between the panels; every other key goes back to the main loop.
#pragma once

#include <cstdint>

#include "ui/interface_formats.h"

namespace agat {

// True while the panel drawn as PN_R is the current one.
extern bool RIGHTSIDE;

// Draws both panels on a cleared screen, each scrolled so that its cursor's entry is in
// view and its list is filled (no blank rows below the last entry while entries lie above
// the top): the screen changes its size, a listing gets shorter.
void draw_panels(TPANEL& PN_R, TPANEL& PN_L);

// Returns the first key that is not the panel manager's own; PN_CUR and PN_OTH are the
// current and the other panel then.
std::int32_t PM_DMAIN(TPANEL& PN_R, TPANEL& PN_L, PPANEL& PN_CUR, PPANEL& PN_OTH);

}  // namespace agat
