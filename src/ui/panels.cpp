#include "ui/panels.h"

#include <algorithm>

#include "content/colours.h"
#include "platform/crt_keys.h"
#include "ui/mywrite.h"
#include "ui/panel.h"

namespace agat {

bool RIGHTSIDE = true;
bool NEEDRELOAD = false;
bool SWAPPANEL = false;

namespace {

void set_marks(TCAT& cat, bool (*mark)(const TCATREC&)) {
  for (std::int32_t i = 0; i < cat.CATNUM; ++i) cat.CATREC[i].SELECT = mark(cat.CATREC[i]);
}

// The cursor on an entry of the list, shown in the ROWS rows of the panel, which are
// filled as far as the entries go.
void scroll_into_view(TPANEL& P, std::int32_t ROWS) {
  const std::int32_t count = P.MD.CAT.CATNUM;
  P.CURSOR = std::max(std::min(P.CURSOR, count - 1), 0);
  P.TOP = std::min(P.TOP, P.CURSOR);
  if (P.CURSOR - ROWS + 1 > P.TOP) P.TOP = P.CURSOR - ROWS + 1;
  P.TOP = std::max(std::min(P.TOP, count - ROWS), 0);
}

// Both panels, scrolled; the list of each runs on rows 2..Y2.
void draw_both(TPANEL& PN_R, TPANEL& PN_L) {
  const int width = crt_screen_width();
  const std::int32_t Y2 = crt_screen_height() - 3;
  scroll_into_view(PN_R, Y2 - 1);
  scroll_into_view(PN_L, Y2 - 1);
  TPANEL& left = SWAPPANEL ? PN_L : PN_R;
  TPANEL& right = SWAPPANEL ? PN_R : PN_L;
  PN_MAIN(left.MD, left.TOP, left.CURSOR, 1, width / 2 - 1, Y2, RIGHTSIDE != SWAPPANEL);
  PN_MAIN(right.MD, right.TOP, right.CURSOR, width / 2 + 1, width - 1, Y2, RIGHTSIDE == SWAPPANEL);
}

}  // namespace

void draw_panels(TPANEL& PN_R, TPANEL& PN_L) {
  TEXTATTR = COL[EMPTY];
  crt_clear_screen();
  draw_both(PN_R, PN_L);
}

std::int32_t PM_DMAIN(TPANEL& PN_R, TPANEL& PN_L, PPANEL& PN_CUR, PPANEL& PN_OTH) {
  TEXTATTR = COL[EMPTY];
  crt_clear_screen();
  while (true) {
    const std::int32_t Y2 = crt_screen_height() - 3;
    PN_CUR = RIGHTSIDE ? &PN_R : &PN_L;
    PN_OTH = RIGHTSIDE ? &PN_L : &PN_R;
    TPANEL& cur = *PN_CUR;
    TCAT& cat = cur.MD.CAT;
    draw_both(PN_R, PN_L);

    crt_cursor_off();
    const std::uint16_t key = MREADKEY();
    switch (key) {
      case KEYCODE_TAB:
        RIGHTSIDE = !RIGHTSIDE;
        break;
      case ' ':
      case HKEY_IC:
        if (cur.CURSOR < cat.CATNUM) cat.CATREC[cur.CURSOR].SELECT = !cat.CATREC[cur.CURSOR].SELECT;
        ++cur.CURSOR;
        break;
      case '*':
        set_marks(cat, [](const TCATREC& e) { return !e.SELECT; });
        break;
      case '+':
      case '=':
        // Everything but deleted Agat files.
        set_marks(
            cat, [](const TCATREC& e) { return !(e.CATRECT == CRTAGATFILE && e.TTSL > MAXTRACK); });
        break;
      case '-':
        set_marks(cat, [](const TCATREC&) { return false; });
        break;
      case HKEY_HOME:
        cur.CURSOR = 0;
        break;
      case HKEY_UP:
        --cur.CURSOR;
        break;
      case HKEY_PPAGE:
        cur.CURSOR -= Y2 - 1;
        break;
      case HKEY_END:
      case HKEY_DC:
        cur.CURSOR = cat.CATNUM - 1;
        break;
      case HKEY_DOWN:
        ++cur.CURSOR;
        break;
      case HKEY_NPAGE:
        cur.CURSOR += Y2 - 1;
        break;
      case HKEY_RESIZE:
        TEXTATTR = COL[EMPTY];
        crt_clear_screen();
        break;
      default:
        return key;
    }
  }
}

}  // namespace agat
