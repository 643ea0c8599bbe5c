// The panels of the file manager and the form of its actions.
#pragma once

#include <cstdint>
#include <string>

#include "core/world_formats.h"

namespace agat {

// One panel: the medium it shows, the list position, and the entry on which the cursor
// is to be placed at the next reload (remembered across a re-read of the catalog).
struct TPANEL {
  TMEDIA MD;
  std::int32_t TOP = 0;     // entry on the first list row
  std::int32_t CURSOR = 0;  // entry under the cursor
  TAGATNAME CURSANAME{};
  std::string CURSHNAME;
};
using PPANEL = TPANEL*;

// The entry under the cursor of PN; nullptr when the catalog is empty.
inline TCATREC* cursor_entry(TPANEL& PN) {
  TCAT& cat = PN.MD.CAT;
  return PN.CURSOR >= 0 && PN.CURSOR < cat.CATNUM ? &cat.CATREC[PN.CURSOR] : nullptr;
}
// The entry under the cursor when it is an Agat file; nullptr otherwise.
inline TCATREC* cursor_agat_file(TPANEL& PN) {
  TCATREC* cr = cursor_entry(PN);
  return cr != nullptr && cr->CATRECT == CRTAGATFILE ? cr : nullptr;
}

// An action: the current panel, the other panel, and the argument of the key-table entry
// or menu item that chose it (a flag, a signed mode, a file format or an image type).
using T_ACTOR = void (*)(PPANEL PAN_CUR, PPANEL PAN_OTH, std::int32_t ARG);

// Both panels re-read their media before the next drawing. Actions set it.
extern bool NEEDRELOAD;
// The two panels exchange their halves of the screen.
extern bool SWAPPANEL;

}  // namespace agat
