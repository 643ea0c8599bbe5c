// Sector-by-sector comparison of two disk images, shown as a report in the text viewer.
#pragma once

#include "content/text_viewer.h"
#include "core/world_formats.h"

namespace agat {

// Builds the comparison report of FC_CMPMEDIA in R without showing it; EQU tells whether
// no sector differs. False, with a message in the critical buffer, when no comparison
// could be made.
bool compare_media(TMEDIA& MD1, TMEDIA& MD2, TextReport& R, bool& EQU);

// Reloads both images from their files and compares their decoded sectors, so images of
// different forms but equal geometry compare by content. The report lists, per sector
// that differs, the offsets of the differing bytes, or names the image in which the
// sector is unreadable; it is shown with VV_VIEW. A failed load, a medium that is not
// an image, or different geometries leave a message in the critical buffer instead.
void FC_CMPMEDIA(TMEDIA& MD1, TMEDIA& MD2);

}  // namespace agat
