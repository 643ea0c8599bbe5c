// What the image map says about the health of an image as a whole: sectors counted by
// role, the sectors with errors, the sectors used more than once, the lost files, the
// disagreements between the references and the VTOC's free map, and whether any of it
// is damage. Read from the map of the last analysis (core/immap.h).
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "core/immap.h"

namespace agat {

struct TSECTORPLACE {
  std::uint8_t T = 0;
  std::uint8_t S = 0;
};

// What a lost chain is: a file whose entry is gone while the VTOC still holds its first
// list (damage), a deleted file that a deleted entry still leads to, or a stale list left
// in free sectors (a file replaced or deleted long ago); the last two are no damage.
enum TORPHANKIND : std::uint8_t { ORPHAN_LOST, ORPHAN_DELETED, ORPHAN_STALE };

// A T/S list with data that nothing refers to, with the further lists of its chain and
// the data sectors they name, in chain order.
struct TIMMORPHAN {
  TSECTORPLACE AT;
  std::vector<TSECTORPLACE> LISTS;
  std::vector<TSECTORPLACE> DATA;
  TORPHANKIND KIND = ORPHAN_LOST;
  // The deleted entry whose kept track and sector lead to AT (catalog sector and index
  // 0..6; OCAT -1 when there is none), whatever the kind.
  TSECTORPLACE ENTRY;
  std::int32_t OCAT = -1;
};

struct TIMMSUMMARY {
  std::array<std::int32_t, 4> BYROLE{};  // by T_IMMSECTORTYPE of the first reference
  std::int32_t UNREFERENCED = 0;
  std::int32_t UNREADABLE_UNUSED = 0;       // unreadable, nothing refers to it, free: no damage
  std::vector<TSECTORPLACE> ERRORS;         // ERRSELF or ERRFROM
  std::vector<TSECTORPLACE> SHARED;         // more than one reference
  std::vector<TSECTORPLACE> UNREADABLE;     // unreadable and referred to
  std::vector<TIMMORPHAN> ORPHANS;          // heads of lost T/S chains
  std::vector<TSECTORPLACE> USED_BUT_FREE;  // referred to, free in the VTOC
  std::vector<TSECTORPLACE> FREE_BUT_USED;  // nothing refers to it, used in the VTOC
  bool DAMAGED = false;
};

// Sums up the map of the last analysis of MD, whose VTOC check gave FAULTS. Damage is
// any lost file (ORPHAN_LOST), error flag, shared sector, referred-to sector that is unreadable or
// free, and any VTOC fault but the missing volume-name terminator (other DOS tools keep
// no volume name).
TIMMSUMMARY summarise_map(TMEDIA& MD, const TVTOCFAULTS& FAULTS);

// The lost chains: each orphaned T/S list that is not itself the continuation of
// another, with the rest of its chain and its kind. A list reached from an earlier head is
// not listed again. The heads are marked ISORPHANHEAD in the map, and no other sector.
std::vector<TIMMORPHAN> find_orphans(TMEDIA& MD);

}  // namespace agat
