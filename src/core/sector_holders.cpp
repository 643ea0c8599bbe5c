#include "core/sector_holders.h"

#include <memory>

#include "core/catalog_entry.h"
#include "core/chain_guard.h"
#include "core/cp1251_literal.h"
#include "core/immap.h"
#include "core/vtoc.h"

namespace agat {

namespace {

std::string holder_of(const T_IMMSECTORDESC& d) {
  if (d.LINKSCNT == 0) return {};
  const TIMMLINK& link = d.LINKSFROM[0];
  switch (link.LF_FORMAT) {
    case IMMVTOC:
      return "VTOC";
    case IMMCAT:
      return std::string("каталог"_w);
    default:
      return std::string("файл "_w) + quoted_agat_name(link.LF_FNAME);
  }
}

}  // namespace

std::vector<TakenSector> taken_sectors(TMEDIA& MD, const std::vector<TSREF>& WANTED) {
  const auto kept = std::make_unique<T_IMMARRAY>(SCMP);
  TVTOCFAULTS faults;
  scan_map(MD, faults);
  std::vector<TakenSector> taken;
  ChainGuard asked;
  std::string quiet;
  for (const TSREF& at : WANTED) {
    if (!FC_IS_RANGEOK(MD, at.TR, at.SC) || !asked.visit(at.TR, at.SC, {}, quiet)) continue;
    const T_IMMSECTORDESC& d = SCMP[at.TR][at.SC];
    if (d.LINKSCNT > 0 || !d.ISFREE) taken.push_back({at, holder_of(d)});
  }
  SCMP = *kept;
  return taken;
}

}  // namespace agat
