#include "core/vtoc_soundness.h"

#include <string>

#include "core/cp1251_literal.h"
#include "core/file_control_messages.h"
#include "core/vtoc.h"

namespace agat {

namespace {

// What is wrong with the VTOC of an image whose VTOC reads; empty when nothing is.
std::string fault(const TMEDIA& md) {
  const TVTOCSECTOR& vt = as<TVTOCSECTOR>(md.MASS[17][0]);
  const auto wrong = [](std::string_view what, int is, int should) {
    return std::string(what) + " " + std::to_string(is) + std::string(" вместо "_w) +
           std::to_string(should);
  };
  if (!FC_IS_RANGEOK(md, vt.TE, vt.SE))
    return std::string("каталог "_w) + std::to_string(vt.TE) + "/" + std::to_string(vt.SE) +
           std::string(" вне диска"_w);
  if (vt.TRNUM != md.NUMTR + 1) return wrong("дорожек"_w, vt.TRNUM, md.NUMTR + 1);
  if (vt.SCNUM != md.NUMSC + 1) return wrong("секторов на дорожке"_w, vt.SCNUM, md.NUMSC + 1);
  if (vt.TSPAIRNUM != 122) return wrong("пар в T/S-списке"_w, vt.TSPAIRNUM, 122);
  if (get_le16(vt.BTNUM) != 256) return wrong("байт в секторе"_w, get_le16(vt.BTNUM), 256);
  return {};
}

// A failed catalog read leaves sectors that may not be this image's.
bool readable(const TMEDIA& md) {
  return !md.VTOCINVALID && FC_IS_SECOK(md.MASS[17][0]);
}

}  // namespace

bool vtoc_is_sound(const TMEDIA& MD) {
  return readable(MD) && fault(MD).empty();
}

bool require_sound_vtoc(const TMEDIA& MD, std::string_view operation) {
  const std::string prefix(operation);
  if (!readable(MD)) {
    report_critical(prefix + std::string(": VTOC образа не читается, образ не изменён"_w));
    return false;
  }
  const std::string why = fault(MD);
  if (why.empty()) return true;
  report_critical(prefix + std::string(": VTOC образа повреждён или на диске нет DOS"_w));
  report_critical("(" + why + std::string("), образ не изменён"_w));
  return false;
}

}  // namespace agat
