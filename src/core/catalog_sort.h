// The order of entries in a panel: kinds first (host directories, disk images, BTK
// sub-catalogs, Agat files), then by name or by type.
#pragma once

#include "core/world_formats.h"

namespace agat {

// Sorts CATREC[0..CATNUM-1] by CAT.SORTMODE; a leading ".." stays first.
void FC_SORTCAT(TMEDIA& MD);

// True when E1 goes before E2.
bool CMP_CATREC(const TCATREC& E1, const TCATREC& E2, bool NAME_PRIOR);

// Agat names in collating order: Cyrillic letters alphabetically, Latin capitals of
// the upper column before the Cyrillic ones.
bool AGATNAME_IS_LESS(const TAGATNAME& N1, const TAGATNAME& N2);

}  // namespace agat
