// Who uses a sector of an image now: the VTOC, a catalog, a live file of any catalog that
// the map's walk reaches, or only the VTOC's mark. What brings back sectors that were
// given up (an undeleted file) asks this first, so that no two files come to share one.
#pragma once

#include <string>
#include <vector>

#include "core/world_formats.h"

namespace agat {

struct TakenSector {
  TSREF at;
  std::string holder;  // for messages: "файл "NAME"", "каталог", "VTOC"; "" for a VTOC mark only
};

// The sectors of `wanted` (on the medium) that a fresh analysis of the image finds in use,
// in the order asked, each once. The map of the last analysis (SCMP) is kept as it was.
std::vector<TakenSector> taken_sectors(TMEDIA& MD, const std::vector<TSREF>& WANTED);

}  // namespace agat
