// An image test that analyses the sector map: the scan, its VTOC faults, and the sectors.
#pragma once

#include "core/immap.h"
#include "core/immap_summary.h"
#include "support/image_test.h"

namespace agat::testing {

class MapTest : public ImageTest {
 protected:
  TVTOCFAULTS faults;
  TIMMSUMMARY scan() {
    scan_map(*md, faults);
    return summarise_map(*md, faults);
  }
  TSECTOR& sector(int t, int s) { return md->MASS[t][s]; }
};

}  // namespace agat::testing
