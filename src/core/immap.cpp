#include "core/immap.h"

#include <algorithm>
#include <bitset>
#include <cstdio>
#include <string>
#include <vector>

#include "core/catalog_entry.h"
#include "core/char_sets.h"
#include "core/cp1251_literal.h"
#include "core/file_control_messages.h"
#include "core/file_transfer.h"
#include "core/image_file.h"
#include "core/vtoc.h"

namespace agat {

thread_local T_IMMARRAY SCMP;

namespace {

using SectorSet = std::bitset<(MAXTRACK + 1) * (MAXSECTOR + 1)>;

std::size_t place(std::uint8_t t, std::uint8_t s) {
  return std::size_t{t} * (MAXSECTOR + 1) + s;
}

// Adds a reference unless the sector already holds 16; false when it was full.
bool add_link(std::uint8_t t, std::uint8_t s, std::uint8_t from_t, std::uint8_t from_s,
              T_IMMSECTORTYPE role, const TAGATNAME& name) {
  T_IMMSECTORDESC& d = SCMP[t][s];
  if (d.LINKSCNT >= IMM_MAXLINKS) return false;
  TIMMLINK& link = d.LINKSFROM[static_cast<std::size_t>(d.LINKSCNT++)];
  link.LF_T = from_t;
  link.LF_S = from_s;
  link.LF_FORMAT = role;
  link.LF_FNAME = name;
  return true;
}

void set_bug(std::uint8_t t, std::uint8_t s, std::uint8_t offs) {
  SCMP[t][s].ERRSELF = true;
  SCMP[t][s].INTBUGOFFS = offs;
}

// Records the link that leaves sector t/s; false when it leaves the medium.
bool follow_link(const TMEDIA& md, std::uint8_t t, std::uint8_t s, std::uint8_t nt,
                 std::uint8_t ns) {
  T_IMMSECTORDESC& d = SCMP[t][s];
  d.EXTTOTR = nt;
  d.EXTTOSC = ns;
  d.ERRFROM = !FC_IS_RANGEOK(md, nt, ns);
  return !d.ERRFROM;
}

// The VTOC and its extension sectors are what they are by their place.
void NOERR(std::uint8_t t) {
  T_IMMSECTORDESC& d = SCMP[t][0];
  d.LINKSCNT = 1;
  d.LINKSFROM[0] = TIMMLINK{};
  d.LINKSFROM[0].LF_FORMAT = IMMVTOC;
  d.ERRSELF = false;
}

// One pass over the map and the image: the name buffer that T/S-list and data
// references copy, and the catalog sectors already walked.
class MapWalk {
 public:
  explicit MapWalk(TMEDIA& md) : md_(md) {}

  // The catalog chain from tcat/scat, referred to by vt/vs, with every sub-catalog it
  // holds walked where its entry stands. Sub-catalogs are kept on a stack of walks, so a
  // deep nesting costs no machine stack.
  void CATALOG(std::uint8_t vt, std::uint8_t vs, std::uint8_t tcat, std::uint8_t scat) {
    std::vector<Chain> chains{{vt, vs, tcat, scat, -1}};
    while (!chains.empty()) {
      Chain& c = chains.back();
      if (c.entry < 0) {
        // A catalog sector is walked once, whether or not it still had room for the
        // reference: a chain that comes back to one ends there.
        if (walked_[place(c.t, c.s)]) {
          chains.pop_back();
          continue;
        }
        walked_[place(c.t, c.s)] = true;
        add_link(c.t, c.s, c.vt, c.vs, IMMCAT, TAGATNAME{});
        if (SCMP[c.t][c.s].ERRREAD) {
          chains.pop_back();
          continue;
        }
        c.entry = 0;
      }
      if (c.entry < 7) {
        const int i = c.entry++;
        const TCATSECTOR& cs = as<TCATSECTOR>(md_.MASS[c.t][c.s]);
        const TCATREC33& e = cs.CR[i];
        std::copy(std::begin(e.N), std::end(e.N), name_.begin());
        if (e.TF < 1 || e.TF > MAXTRACK) continue;  // never used, or deleted
        if (!FC_IS_RANGEOK(md_, e.TF, e.SF)) {
          set_bug(c.t, c.s, static_cast<std::uint8_t>(11 + 35 * i));
        } else if (e.E == 0xFF) {
          const Chain sub{c.t, c.s, e.TF, e.SF, -1};
          chains.push_back(sub);  // c is not to be used after this
        } else {
          SINGLEFILE(c.t, c.s, e.TF, e.SF);
        }
        continue;
      }
      const TCATSECTOR& cs = as<TCATSECTOR>(md_.MASS[c.t][c.s]);
      if (cs.TE == 0 || !follow_link(md_, c.t, c.s, cs.TE, cs.SE)) {
        chains.pop_back();
        continue;
      }
      c.vt = c.t;
      c.vs = c.s;
      c.t = cs.TE;
      c.s = cs.SE;
      c.entry = -1;
    }
  }

 private:
  struct Chain {
    std::uint8_t vt, vs;  // the sector that refers to the current one
    std::uint8_t t, s;    // the current catalog sector
    int entry;            // the next entry to process; -1 before the sector is entered
  };

  // The T/S chain of one file from its first list t/s, named in catalog sector ct/cs.
  // A list with a pair or a link off the medium is still the file's list: its other pairs
  // are recorded and the faults marked on it. A sector whose byte 0 is not 0 is no list at
  // all: the fault is marked there and the chain ends. A chain that loops ends when one of
  // its lists holds 16 references.
  void SINGLEFILE(std::uint8_t ct, std::uint8_t cs, std::uint8_t t, std::uint8_t s) {
    while (true) {
      if (!add_link(t, s, ct, cs, IMMTSLIST, name_)) return;
      const T_IMMSECTORDESC& d = SCMP[t][s];
      if (d.ERRREAD) return;
      if (!d.ISTSLIST && tsl_flaw(md_, md_.MASS[t][s]) == 0) {
        set_bug(t, s, 0);
        return;
      }
      ct = t;
      cs = s;
      if (!SINGLETSL(t, s)) return;
      if (!follow_link(md_, ct, cs, t, s)) return;
    }
  }

  // The data sectors of list t/s; t/s becomes the next list. Pairs whose track is 0 are
  // holes, not the end: the whole chain is the file's. False when no list follows.
  bool SINGLETSL(std::uint8_t& t, std::uint8_t& s) {
    const TTSLSECTOR& list = as<TTSLSECTOR>(md_.MASS[t][s]);
    for (int j = 0; j < 122; ++j) {
      const std::uint8_t dt = list.TSL[j][0], ds = list.TSL[j][1];
      if (dt == 0) continue;
      if (FC_IS_RANGEOK(md_, dt, ds)) {
        add_link(dt, ds, t, s, IMMDATA, name_);
      } else {
        set_bug(t, s, static_cast<std::uint8_t>(12 + 2 * j));
      }
    }
    t = list.TE;
    s = list.SE;
    return t != 0;
  }

  TMEDIA& md_;
  TAGATNAME name_{};
  SectorSet walked_;
};

void add_fault(TVTOCFAULTS& faults, std::uint8_t offs, std::string_view text) {
  TVTOCFAULT f;
  f.KIND = TVTOCFAULT::FIELD;
  f.OFFS = offs;
  f.TEXT = text;
  faults.push_back(f);
  set_bug(17, 0, offs);
}

bool has_volname_terminator(const TVTOCSECTOR& vt) {
  const std::uint8_t* b = reinterpret_cast<const std::uint8_t*>(&vt);
  for (int x = 8; x <= 37; ++x)
    if (b[x] == 0x8D && b[x + 1] == 0x00) return true;
  return false;
}

// The sector that holds the mask of a track, and the mask's offset in it.
void mask_place(std::uint8_t track, std::uint8_t& t, std::uint8_t& offs) {
  if (track < 50) {
    t = 17, offs = static_cast<std::uint8_t>(56 + 4 * track);
  } else if (track < 114) {
    t = 50, offs = static_cast<std::uint8_t>(4 * (track - 50));
  } else {
    t = 114, offs = static_cast<std::uint8_t>(4 * (track - 114));
  }
}

}  // namespace

void INITMAP(TMEDIA& MD) {
  for (int t = 0; t <= MD.NUMTR; ++t) {
    const auto tr = static_cast<std::uint8_t>(t);
    const PCARDINAL mask = FC_GETVTOCMAP(MD, tr);
    for (int s = 0; s <= MD.NUMSC; ++s) {
      const auto sc = static_cast<std::uint8_t>(s);
      const TSECTOR& sector = MD.MASS[t][s];
      T_IMMSECTORDESC& d = SCMP[t][s];
      d.LINKSCNT = 0;
      d.ERRSELF = d.ERRFROM = false;
      d.EXTTOTR = 0;
      d.ERRREAD = !FC_IS_SECOK(sector);
      d.ISFREE = mask && (mask.get() & (*MD.VTOCMASKS)[sc]) != 0;
      d.ISTSLIST = FC_IS_TSL(MD, tr, sc);
      const TTSLSECTOR& list = as<TTSLSECTOR>(sector);
      d.ISFREETSLIST = std::none_of(std::begin(list.TSL), std::end(list.TSL),
                                    [](const auto& pair) { return pair[0] != 0; });
    }
  }
}

void VTOCANALYSE(TMEDIA& MD, TVTOCFAULTS& FAULTS) {
  FAULTS.clear();
  NOERR(17);
  const TVTOCSECTOR& vt = as<TVTOCSECTOR>(MD.MASS[17][0]);
  SCMP[17][0].EXTTOTR = vt.TE;
  SCMP[17][0].EXTTOSC = vt.SE;

  if (vt.VOLNUM == 0) add_fault(FAULTS, 0x06, "Номер тома == $00."_w);
  if (!has_volname_terminator(vt))
    add_fault(FAULTS, VTOC_VOLNAME_OFFS, "Не найден ограничитель имени тома ($8D, $00)."_w);
  if (vt.TSPAIRNUM != 0x7A)
    add_fault(FAULTS, 0x27, "Неверно максимальное число t/s пар в t/s списке ($7A)."_w);
  if (vt.NEXTAVAILTR > MD.NUMTR) add_fault(FAULTS, 0x30, "Неверен номер трека выделения."_w);
  if (vt.DIRECTTOTR != 0x01 && vt.DIRECTTOTR != 0xFF)
    add_fault(FAULTS, 0x31, "Неверно направление выделения ($01, $FF)."_w);
  if (vt.TRNUM != MD.NUMTR + 1) add_fault(FAULTS, 0x34, "Неверно число треков на диске."_w);
  if (vt.SCNUM != MD.NUMSC + 1) add_fault(FAULTS, 0x35, "Неверно число секторов на треке."_w);
  if (get_le16(vt.BTNUM) != 256) add_fault(FAULTS, 0x36, "Неверно число байт в секторе."_w);

  if (MD.NUMTR > 49) NOERR(50);
  if (MD.NUMTR > 113) NOERR(114);

  const std::uint32_t spare = MD.NUMSC == 15 ? 0xFFFF0000u : 0xFF070000u;
  for (int t = 0; t <= MD.NUMTR; ++t) {
    const auto track = static_cast<std::uint8_t>(t);
    const PCARDINAL mask = FC_GETVTOCMAP(MD, track);
    if (!mask) break;
    if ((mask.get() & spare) == 0) continue;
    TVTOCFAULT f;
    f.KIND = TVTOCFAULT::BITMAP;
    f.TRACK = track;
    FAULTS.push_back(f);
    std::uint8_t holder, offs;
    mask_place(track, holder, offs);
    set_bug(holder, 0, offs);
  }
}

void ANALYSEMAP(TMEDIA& MD) {
  const TVTOCSECTOR& vt = as<TVTOCSECTOR>(MD.MASS[17][0]);
  if (!FC_IS_RANGEOK(MD, vt.TE, vt.SE)) {
    SCMP[17][0].ERRFROM = true;
    return;
  }
  MapWalk(MD).CATALOG(17, 0, vt.TE, vt.SE);
}

void scan_map(TMEDIA& MD, TVTOCFAULTS& FAULTS) {
  INITMAP(MD);
  VTOCANALYSE(MD, FAULTS);
  ANALYSEMAP(MD);
}

void walk_tsl_chain(TMEDIA& MD, std::uint8_t TTSL, std::uint8_t STSL,
                    const std::function<void(std::uint8_t, std::uint8_t, bool)>& VISIT) {
  SectorSet seen;
  for (int lists = 0; lists < 255 && FC_IS_TSL(MD, TTSL, STSL); ++lists) {
    if (seen[place(TTSL, STSL)]) return;
    seen[place(TTSL, STSL)] = true;
    VISIT(TTSL, STSL, true);
    const TTSLSECTOR& list = as<TTSLSECTOR>(MD.MASS[TTSL][STSL]);
    for (const auto& pair : list.TSL)
      if (pair[0] != 0 && FC_IS_RANGEOK(MD, pair[0], pair[1])) VISIT(pair[0], pair[1], false);
    if (list.TE == 0) return;
    TTSL = list.TE;
    STSL = list.SE;
  }
}

void FLASHSEARCH(TMEDIA& MD, std::uint8_t TTSL, std::uint8_t STSL) {
  for (int t = 0; t <= MD.NUMTR; ++t)
    for (int s = 0; s <= MD.NUMSC; ++s) SCMP[t][s].ISFLASH = false;
  walk_tsl_chain(MD, TTSL, STSL,
                 [](std::uint8_t t, std::uint8_t s, bool) { SCMP[t][s].ISFLASH = true; });
}

bool is_orphan_tsl(const T_IMMSECTORDESC& D) {
  return D.ISTSLIST && !D.ISFREETSLIST && D.LINKSCNT == 0;
}

bool is_fault(const T_IMMSECTORDESC& D) {
  return D.ERRSELF || D.ERRFROM || D.LINKSCNT > 1 || (D.LINKSCNT == 1 && D.ISFREE);
}

}  // namespace agat
