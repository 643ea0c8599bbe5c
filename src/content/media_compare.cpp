#include "content/media_compare.h"

#include <string>

#include "content/colours.h"
#include "content/text_viewer.h"
#include "core/cp1251.h"
#include "core/cp1251_literal.h"
#include "core/file_control_messages.h"
#include "core/image_file.h"
#include "core/vtoc.h"

namespace agat {

namespace {

// Host names are host bytes; the report is Windows-1251.
std::string shown_name(const std::string& host) {
  return host_to_cp1251(host);
}

// Adds the line of a sector whose bytes differ between the images: the offsets that
// differ (EQU becomes false), or the image in which the sector is unreadable.
void report_sector(TextReport& R, const SectorComparison& c, const TMEDIA& MD1, const TMEDIA& MD2,
                   bool& EQU) {
  if (c.DIFFERING == 0) return;
  const bool ok = c.READABLE1 && c.READABLE2;
  VV_ADD_COLOR(R, COL[ok ? CR_ICMP_SCOK : CR_ICMP_SCBAD]);
  VV_ADD_LONGINT(R, c.T, 3);
  VV_ADD_STRING(R, "/");
  VV_ADD_LONGINT(R, c.S, 2);
  VV_ADD_STRING(R, "- ");
  // A sector unreadable on one side is reported as such; its bytes are not a difference
  // between the disks.
  if (!ok) {
    const std::string& name = !c.READABLE1 ? MD1.IMAGENAME : MD2.IMAGENAME;
    VV_ADD_STRING_EOL(R, std::string("ошибка чтения образа "_w) + shown_name(name));
    return;
  }
  for (int o = 0; o < 256; ++o) {
    if ((*c.A)[o] == (*c.B)[o]) continue;
    VV_ADD_COLOR(R, COL[CR_ICMP_OFFS]);
    VV_ADD_STRING(R, " ");
    VV_ADD_HEX(R, o, 2);
  }
  EQU = false;
  VV_ADD_EOL(R);
}

}  // namespace

bool compare_media_sectors(TMEDIA& MD1, TMEDIA& MD2,
                           const std::function<void(const SectorComparison&)>& VISIT) {
  FC_LOADMEDIA(MD1);
  FC_LOADMEDIA(MD2);
  // A failed load, or a message still pending from before, stops the comparison.
  if (!FC_CRITICALERRORBUFFER.empty()) return false;
  if (MD1.MEDIAT != MDIMAGE || MD2.MEDIAT != MDIMAGE) {
    report_critical("Сравнение образов: это не образ диска"_w);
    return false;
  }
  const TIMAGEDESC& d1 = IMAGEDESC[MD1.IMAGET];
  const TIMAGEDESC& d2 = IMAGEDESC[MD2.IMAGET];
  if (d1.NTR != d2.NTR || d1.NSC != d2.NSC) {
    report_critical("Сравнение образов: невозможно сравнить диски с разной геометрией"_w);
    return false;
  }
  for (int T = 0; T <= d1.NTR; ++T)
    for (int S = 0; S <= d1.NSC; ++S) {
      SectorComparison c;
      c.T = T;
      c.S = S;
      c.A = &MD1.MASS[T][S];
      c.B = &MD2.MASS[T][S];
      c.READABLE1 = FC_IS_SECOK(*c.A);
      c.READABLE2 = FC_IS_SECOK(*c.B);
      for (int o = 0; o < 256; ++o) c.DIFFERING += (*c.A)[o] != (*c.B)[o] ? 1 : 0;
      VISIT(c);
    }
  return true;
}

bool compare_media(TMEDIA& MD1, TMEDIA& MD2, TextReport& R, bool& EQU) {
  // The title is written once the comparison is sure to be made.
  bool titled = false;
  EQU = true;
  const bool compared = compare_media_sectors(MD1, MD2, [&](const SectorComparison& c) {
    if (!titled) {
      titled = true;
      VV_INIT(R);
      VV_ADD_COLOR(R, COL[CR_ICMP_HEADER]);
      VV_ADD_STRING_EOL(
          R, std::string("Сравнение образа "_w) + shown_name(MD1.HOSTPATH + MD1.IMAGENAME));
      // The blanks line the second path up under the first.
      VV_ADD_STRING_EOL(
          R, std::string("с образом        "_w) + shown_name(MD2.HOSTPATH + MD2.IMAGENAME) + ":");
    }
    report_sector(R, c, MD1, MD2, EQU);
  });
  if (!compared) return false;
  if (EQU) VV_ADD_STRING(R, "Отличий между образами не найдено"_w);
  return true;
}

void FC_CMPMEDIA(TMEDIA& MD1, TMEDIA& MD2) {
  TextReport report;
  bool equal = true;
  if (compare_media(MD1, MD2, report, equal)) VV_VIEW(report);
}

}  // namespace agat
