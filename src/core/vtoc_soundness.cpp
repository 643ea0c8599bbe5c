#include "core/vtoc_soundness.h"

#include <string>

#include "core/cp1251_literal.h"
#include "core/file_control_messages.h"
#include "core/vtoc.h"

namespace agat {

namespace {

// Why the VTOC cannot be written through; empty when it can.
std::string unsoundness(const TMEDIA& md) {
  // A failed catalog read leaves sectors that may not be this image's.
  if (md.VTOCINVALID || !FC_IS_SECOK(md.MASS[17][0]))
    return std::string("VTOC образа не читается"_w);
  const TVTOCSECTOR& vt = as<TVTOCSECTOR>(md.MASS[17][0]);
  const auto wrong = [](std::string_view what, int is, int should) {
    return std::string("VTOC образа повреждён или на диске нет DOS: "_w) + std::string(what) + " " +
           std::to_string(is) + std::string(" вместо "_w) + std::to_string(should);
  };
  if (!FC_IS_RANGEOK(md, vt.TE, vt.SE))
    return std::string("VTOC образа повреждён или на диске нет DOS: каталог "_w) +
           std::to_string(vt.TE) + "/" + std::to_string(vt.SE) + std::string(" вне диска"_w);
  if (vt.TRNUM != md.NUMTR + 1) return wrong("дорожек"_w, vt.TRNUM, md.NUMTR + 1);
  if (vt.SCNUM != md.NUMSC + 1) return wrong("секторов на дорожке"_w, vt.SCNUM, md.NUMSC + 1);
  if (vt.TSPAIRNUM != 122) return wrong("пар в T/S-списке"_w, vt.TSPAIRNUM, 122);
  if (get_le16(vt.BTNUM) != 256) return wrong("байт в секторе"_w, get_le16(vt.BTNUM), 256);
  return {};
}

}  // namespace

bool vtoc_is_sound(const TMEDIA& MD) {
  return unsoundness(MD).empty();
}

bool require_sound_vtoc(const TMEDIA& MD, std::string_view operation) {
  const std::string why = unsoundness(MD);
  if (why.empty()) return true;
  report_critical(std::string(operation) + ": " + why + std::string(", образ не изменён"_w));
  return false;
}

}  // namespace agat
