#include "core/current_catalog.h"

#include "core/vtoc.h"

namespace agat {

TSREF current_catalog(const TMEDIA& MD) {
  if (MD.held_catalog) return *MD.held_catalog;
  const TVTOCSECTOR& vt = as<TVTOCSECTOR>(MD.MASS[17][0]);
  return {vt.TE, vt.SE};
}

void mark_catalog_chain(TMEDIA& MD, TSREF first, ChainGuard& chain) {
  std::string ignored;
  for (TSREF at = first; at.TR != 0;) {
    if (!FC_IS_RANGEOK(MD, at.TR, at.SC) || !FC_IS_SECOK(MD.MASS[at.TR][at.SC]) ||
        !chain.visit(at.TR, at.SC, {}, ignored))
      return;
    const TCATSECTOR& cs = as<TCATSECTOR>(MD.MASS[at.TR][at.SC]);
    at = {cs.TE, cs.SE};
  }
}

bool is_map_sector(const TMEDIA& MD, std::uint8_t TR, std::uint8_t SC) {
  return SC == 0 && (TR == 17 || (TR == 50 && MD.NUMTR >= 50) || (TR == 114 && MD.NUMTR >= 114));
}

}  // namespace agat
