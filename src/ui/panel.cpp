#include "ui/panel.h"

#include <cstdio>

#include "content/colours.h"
#include "core/catalog_read.h"
#include "core/char_sets.h"
#include "core/cp1251.h"
#include "core/cp1251_literal.h"
#include "core/vtoc_soundness.h"
#include "ui/mywrite.h"

namespace agat {

int X_RANGE = 80;

namespace {

void set_colour(COL_ELEMENTS element) {
  MFLUSH();
  TEXTATTR = COL[element];
}

bool printable(std::uint8_t c) {
  return (c >= 32 && c <= 127) || c >= 192;
}

// Agat characters, each shown through A2L, "?" for what the console cannot show.
template <std::size_t N>
void AGATNAMEOUT(const std::array<std::uint8_t, N>& name) {
  for (std::uint8_t ch : name) {
    if (crt_where_x() >= X_RANGE) break;
    const std::uint8_t c = A2L(ch);
    MWRITE_TRUNK(printable(c) ? std::string_view(reinterpret_cast<const char*>(&c), 1) : "?");
  }
}

void entry_row(const TCATREC& cr, bool marked, bool under_cursor) {
  MWRITE(marked ? '>' : ' ');
  MWRITE(under_cursor ? '+' : ' ');
  switch (cr.CATRECT) {
    case CRTHOSTFSDIR:
      MWRITE_TRUNK("HostDir: ");
      MWRITE_TRUNK(host_to_cp1251(cr.HOSTNAME));
      break;
    case CRTDISKIMAGE:
      MWRITE_TRUNK(IMAGEDESC[cr.IMAGET].SHNAME);
      MWRITE_TRUNK(": ");
      MWRITE_TRUNK(host_to_cp1251(cr.HOSTNAME));
      break;
    case CRTBTKDIR:
      MWRITE_TRUNK("BTK Dir: ");
      MWRITE_TRUNK(A2L(std::string_view(reinterpret_cast<const char*>(cr.AGATNAME.data()), 30)));
      break;
    case CRTAGATFILE:
      MWRITE_TRUNK((cr.EXT & 0x80) != 0 ? "*" : " ");
      MWRITE_TRUNK(std::string(1, FC_FTYPE(cr.EXT)));
      MWRITE_TRUNK("  ");
      MWRITE_TRUNK(VAL2STR000(cr.SIZECAT));
      MWRITE_TRUNK("  ");
      AGATNAMEOUT(cr.AGATNAME);
      break;
  }
}

}  // namespace

void MWRITE_TRUNK(std::string_view S) {
  const int room = X_RANGE - MWHEREX() + 1;
  if (room <= 0) return;
  MWRITE(S.substr(0, static_cast<std::size_t>(room)));
}

void CLREOL() {
  const int blanks = X_RANGE - MWHEREX() + 1;
  if (blanks > 0) MWRITE(std::string(static_cast<std::size_t>(blanks), ' '));
  MFLUSH();
}

std::string VAL2STR000(std::int32_t L) {
  char text[16];
  std::snprintf(text, sizeof text, "%03d", L);
  return text;
}

void PN_MAIN(const TMEDIA& MD, std::int32_t TOP, std::int32_t CURSOR, int X1, int X2, int Y2,
             bool SELECTPANEL) {
  X_RANGE = X2;

  // A disk without a DOS catalog has no volume name: its VTOC's bytes mean nothing.
  const bool no_dos = MD.MEDIAT == MDIMAGE && !MD.VTOCINVALID && !vtoc_is_sound(MD);
  crt_goto_xy(X1, 1);
  set_colour(PANEL_VOLUMEID);
  if (!no_dos) AGATNAMEOUT(MD.VOLUMEID);
  MFLUSH();

  for (int y = 2; y <= Y2; ++y) {
    crt_goto_xy(X1, y);
    const std::int32_t n = TOP + y - 2;
    if (n >= MD.CAT.CATNUM || n < 0) {
      set_colour(EMPTY);
      // Where the entries would be: the one line that says there are none to read.
      if (no_dos && n == MD.CAT.CATNUM) MWRITE_TRUNK("  На диске нет каталога DOS"_w);
      CLREOL();
      continue;
    }
    const TCATREC& cr = MD.CAT.CATREC[n];
    if (n == CURSOR && SELECTPANEL) {
      set_colour(PANEL_LST_CURS);
    } else if (cr.SELECT) {
      set_colour(PANEL_LST_SEL);
    } else if (cr.TTSL == 0xFF) {
      set_colour(PANEL_LST_DELE);
    } else {
      set_colour(PANEL_LST_BASE);
    }
    entry_row(cr, cr.SELECT, n == CURSOR);
    CLREOL();
  }

  crt_goto_xy(X1, Y2 + 1);
  set_colour(PANEL_FREE);
  MWRITE_TRUNK("Свободно "_w);
  MWRITE_TRUNK(std::to_string(MD.FREESPACE));
  MWRITE_TRUNK(" блока(ов)"_w);
  MFLUSH();

  crt_goto_xy(X1, Y2 + 2);
  set_colour(PANEL_PATH);
  MWRITE_TRUNK(host_to_cp1251(MD.HOSTPATH));
  if (MD.MEDIAT == MDIMAGE) MWRITE_TRUNK(host_to_cp1251(MD.IMAGENAME));
  MFLUSH();

  crt_goto_xy(X1, Y2 + 3);
  std::int64_t sectors = 0;
  std::int32_t marked = 0;
  for (std::int32_t i = 0; i < MD.CAT.CATNUM; ++i) {
    if (!MD.CAT.CATREC[i].SELECT) continue;
    ++marked;
    sectors += MD.CAT.CATREC[i].SIZECAT;
  }
  if (marked == 0) {
    set_colour(PANEL_SORT);
    static constexpr std::string_view kSortNames[] = {"Без сортировки"_w, "Сортировка по имени"_w,
                                                      "Сортировка по типу"_w};
    MWRITE_TRUNK(kSortNames[MD.CAT.SORTMODE <= SMTYPE ? MD.CAT.SORTMODE : 0]);
  } else {
    set_colour(PANEL_SELECT);
    MWRITE_TRUNK("Отмечено "_w);
    MWRITE_TRUNK(std::to_string(sectors));
    MWRITE_TRUNK(" блока(ов) в "_w);
    MWRITE_TRUNK(std::to_string(marked));
    MWRITE_TRUNK(" файлах"_w);
  }
  CLREOL();
}

}  // namespace agat
