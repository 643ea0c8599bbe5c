#include "core/immap_summary.h"

#include <algorithm>

namespace agat {

namespace {

template <class Visit>
void each_sector(const TMEDIA& md, Visit visit) {
  for (int t = 0; t <= md.NUMTR; ++t)
    for (int s = 0; s <= md.NUMSC; ++s)
      visit(TSECTORPLACE{static_cast<std::uint8_t>(t), static_cast<std::uint8_t>(s)}, SCMP[t][s]);
}

// The VTOC sector's only error is its missing volume-name terminator.
bool only_volname_fault(const T_IMMSECTORDESC& d) {
  return d.ERRSELF && !d.ERRFROM && d.INTBUGOFFS == VTOC_VOLNAME_OFFS;
}

// A sector that some reference takes for a catalog sector.
bool is_catalog(const T_IMMSECTORDESC& d) {
  return !d.ERRREAD && std::any_of(d.LINKSFROM.begin(), d.LINKSFROM.begin() + d.LINKSCNT,
                                   [](const TIMMLINK& l) { return l.LF_FORMAT == IMMCAT; });
}

// The kind of the chain at o.AT and the deleted entry that leads to it. Deletion keeps the
// first list's track in the entry's last name byte and leaves its sector in place; the
// entries are looked for in every catalog sector of the analysis, sub-catalogs included.
void classify(TMEDIA& md, TIMMORPHAN& o) {
  each_sector(md, [&](TSECTORPLACE p, const T_IMMSECTORDESC& d) {
    if (o.OCAT >= 0 || !is_catalog(d)) return;
    const TCATSECTOR& cs = as<TCATSECTOR>(md.MASS[p.T][p.S]);
    for (std::int32_t i = 0; i < 7; ++i) {
      const TCATREC33& e = cs.CR[i];
      if (e.TF == 0xFF && e.E != 0xFF && e.N[29] == o.AT.T && e.SF == o.AT.S) {
        o.ENTRY = p;
        o.OCAT = i;
        return;
      }
    }
  });
  if (!SCMP[o.AT.T][o.AT.S].ISFREE) {
    o.KIND = ORPHAN_LOST;
  } else {
    o.KIND = o.OCAT >= 0 ? ORPHAN_DELETED : ORPHAN_STALE;
  }
}

}  // namespace

std::vector<TIMMORPHAN> find_orphans(TMEDIA& MD) {
  for (auto& track : SCMP)
    for (auto& d : track) d.ISORPHANHEAD = false;
  // Lists named as the next list of an orphaned one belong to its chain.
  std::vector<std::vector<bool>> continued(MD.NUMTR + 1u, std::vector<bool>(MD.NUMSC + 1u));
  std::vector<std::vector<bool>> covered = continued;
  std::vector<TSECTORPLACE> orphans;
  each_sector(MD, [&](TSECTORPLACE p, const T_IMMSECTORDESC& d) {
    if (!is_orphan_tsl(d)) return;
    orphans.push_back(p);
    const TTSLSECTOR& list = as<TTSLSECTOR>(MD.MASS[p.T][p.S]);
    if (list.TE != 0) continued[list.TE][list.SE] = true;  // on the medium: a T/S list's shape
  });
  std::vector<TIMMORPHAN> heads;
  auto take = [&](TSECTORPLACE p) {
    TIMMORPHAN o;
    o.AT = p;
    walk_tsl_chain(MD, p.T, p.S, [&](std::uint8_t t, std::uint8_t s, bool is_list) {
      if (!is_list) {
        o.DATA.push_back({t, s});
        return;
      }
      covered[t][s] = true;
      if (t != p.T || s != p.S) o.LISTS.push_back({t, s});
    });
    classify(MD, o);
    SCMP[p.T][p.S].ISORPHANHEAD = true;
    heads.push_back(std::move(o));
  };
  for (const TSECTORPLACE p : orphans)
    if (!continued[p.T][p.S] && !covered[p.T][p.S]) take(p);
  // Chains that loop have no head: each starts at its first list in disk order.
  for (const TSECTORPLACE p : orphans)
    if (!covered[p.T][p.S]) take(p);
  return heads;
}

TIMMSUMMARY summarise_map(TMEDIA& MD, const TVTOCFAULTS& FAULTS) {
  TIMMSUMMARY sum;
  bool damaged = std::any_of(FAULTS.begin(), FAULTS.end(), [](const TVTOCFAULT& f) {
    return f.KIND != TVTOCFAULT::FIELD || f.OFFS != VTOC_VOLNAME_OFFS;
  });
  each_sector(MD, [&](TSECTORPLACE p, const T_IMMSECTORDESC& d) {
    if (d.LINKSCNT == 0) {
      ++sum.UNREFERENCED;
      if (!d.ISFREE) sum.FREE_BUT_USED.push_back(p);
      if (d.ERRREAD && d.ISFREE) ++sum.UNREADABLE_UNUSED;
    } else {
      ++sum.BYROLE[d.LINKSFROM[0].LF_FORMAT];
      if (d.ISFREE) sum.USED_BUT_FREE.push_back(p);
      if (d.ERRREAD) sum.UNREADABLE.push_back(p);
      if (d.LINKSCNT > 1) sum.SHARED.push_back(p);
    }
    if (d.ERRSELF || d.ERRFROM) {
      sum.ERRORS.push_back(p);
      if (!(p.T == 17 && p.S == 0 && only_volname_fault(d))) damaged = true;
    }
  });
  sum.ORPHANS = find_orphans(MD);
  const bool lost = std::any_of(sum.ORPHANS.begin(), sum.ORPHANS.end(),
                                [](const TIMMORPHAN& o) { return o.KIND == ORPHAN_LOST; });
  sum.DAMAGED = damaged || lost || !sum.SHARED.empty() || !sum.UNREADABLE.empty() ||
                !sum.USED_BUT_FREE.empty();
  return sum;
}

}  // namespace agat
