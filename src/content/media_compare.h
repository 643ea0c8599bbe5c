// Sector-by-sector comparison of two disk images, shown as a report in the text viewer.
#pragma once

#include <functional>

#include "content/text_viewer.h"
#include "core/world_formats.h"

namespace agat {

// What one sector holds in the two images.
struct SectorComparison {
  int T = 0;
  int S = 0;
  const TSECTOR* A = nullptr;  // the sector of the first image
  const TSECTOR* B = nullptr;  // of the second
  bool READABLE1 = true;       // whether each image could read it
  bool READABLE2 = true;
  int DIFFERING = 0;  // how many of its bytes differ
};

// Reloads both images from their files and calls VISIT for every sector, in the order of
// tracks and sectors, so that the comparison can be written out as it goes. False, with a
// message in the critical buffer, when no comparison can be made: a failed load, a medium
// that is not an image, or different geometries.
bool compare_media_sectors(TMEDIA& MD1, TMEDIA& MD2,
                           const std::function<void(const SectorComparison&)>& VISIT);

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
