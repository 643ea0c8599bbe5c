#include "ui/actions_content.h"

#include "content/media_compare.h"

namespace agat {

void AC_COMPARE_MS(PPANEL PAN_CUR, PPANEL PAN_OTH, std::int32_t) {
  if (PAN_CUR->MD.MEDIAT != MDIMAGE || PAN_OTH->MD.MEDIAT != MDIMAGE) return;
  FC_CMPMEDIA(PAN_CUR->MD, PAN_OTH->MD);
}

}  // namespace agat
