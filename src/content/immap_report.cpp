#include "content/immap_report.h"

#include <cstdio>

#include "content/colours.h"
#include "core/cp1251_literal.h"

namespace agat {

std::string vtoc_fault_line(const TVTOCFAULT& F) {
  char head[8];
  if (F.KIND == TVTOCFAULT::FIELD) {
    std::snprintf(head, sizeof head, "%02X: ", F.OFFS);
    return head + std::string(F.TEXT);
  }
  std::snprintf(head, sizeof head, "%4d", F.TRACK);
  return std::string("Битовое поле для трека"_w) + head +
         std::string(" имеет лишние единичные биты."_w);
}

void vtoc_report(const TVTOCFAULTS& FAULTS, TextReport& R) {
  VV_INIT(R);
  VV_ADD_COLOR(R, COL[IMM_VTOC_HD]);
  VV_ADD_STRING_EOL(R, "Анализ VTOC:"_w);
  for (const TVTOCFAULT& f : FAULTS) VV_ADD_STRING_EOL(R, vtoc_fault_line(f));
}

}  // namespace agat
