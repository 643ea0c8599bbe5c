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

// Adds the line of sector T/S when its bytes differ between the images: the offsets
// that differ (EQU becomes false), or the image in which the sector is unreadable.
void report_sector(TextReport& R, const TSECTOR& a, const TSECTOR& b, const TMEDIA& MD1,
                   const TMEDIA& MD2, int T, int S, bool& EQU) {
  bool first = true;
  for (int o = 0; o < 256; ++o) {
    if (a[o] == b[o]) continue;
    if (first) {
      const bool ok1 = FC_IS_SECOK(a);
      const bool ok2 = FC_IS_SECOK(b);
      VV_ADD_COLOR(R, COL[ok1 && ok2 ? CR_ICMP_SCOK : CR_ICMP_SCBAD]);
      VV_ADD_LONGINT(R, T, 3);
      VV_ADD_STRING(R, "/");
      VV_ADD_LONGINT(R, S, 2);
      VV_ADD_STRING(R, "- ");
      // A sector unreadable on one side is reported as such; its bytes are not a
      // difference between the disks.
      if (!ok1 || !ok2) {
        const std::string& name = !ok1 ? MD1.IMAGENAME : MD2.IMAGENAME;
        VV_ADD_STRING_EOL(R, std::string("ошибка чтения образа "_w) + shown_name(name));
        return;
      }
      first = false;
    }
    VV_ADD_COLOR(R, COL[CR_ICMP_OFFS]);
    VV_ADD_STRING(R, " ");
    VV_ADD_HEX(R, o, 2);
    EQU = false;
  }
  if (!first) VV_ADD_EOL(R);
}

}  // namespace

bool compare_media(TMEDIA& MD1, TMEDIA& MD2, TextReport& R, bool& EQU) {
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

  EQU = true;
  VV_INIT(R);
  VV_ADD_COLOR(R, COL[CR_ICMP_HEADER]);
  VV_ADD_STRING_EOL(R,
                    std::string("Сравнение образа "_w) + shown_name(MD1.HOSTPATH + MD1.IMAGENAME));
  // The blanks line the second path up under the first.
  VV_ADD_STRING_EOL(
      R, std::string("с образом        "_w) + shown_name(MD2.HOSTPATH + MD2.IMAGENAME) + ":");
  for (int T = 0; T <= d1.NTR; ++T)
    for (int S = 0; S <= d1.NSC; ++S)
      report_sector(R, MD1.MASS[T][S], MD2.MASS[T][S], MD1, MD2, T, S, EQU);
  if (EQU) VV_ADD_STRING(R, "Отличий между образами не найдено"_w);
  return true;
}

void FC_CMPMEDIA(TMEDIA& MD1, TMEDIA& MD2) {
  TextReport report;
  bool equal = true;
  if (compare_media(MD1, MD2, report, equal)) VV_VIEW(report);
}

}  // namespace agat
