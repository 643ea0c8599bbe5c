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

}  // namespace

std::int32_t PM_DMAIN(TPANEL& PN_R, TPANEL& PN_L, PPANEL& PN_CUR, PPANEL& PN_OTH) {
  TEXTATTR = COL[EMPTY];
  CLRSCR();
  while (true) {
    const int width = SCREEN_WIDTH();
    const std::int32_t Y2 = SCREEN_HEIGHT() - 3;
    PN_CUR = RIGHTSIDE ? &PN_R : &PN_L;
    PN_OTH = RIGHTSIDE ? &PN_L : &PN_R;
    TPANEL& cur = *PN_CUR;
    TCAT& cat = cur.MD.CAT;

    cur.CURSOR = std::max(std::min(cur.CURSOR, cat.CATNUM - 1), 0);
    cur.TOP = std::min(cur.TOP, cur.CURSOR);
    if (cur.CURSOR - Y2 + 2 > cur.TOP) cur.TOP = cur.CURSOR - Y2 + 2;

    TPANEL& left = SWAPPANEL ? PN_L : PN_R;
    TPANEL& right = SWAPPANEL ? PN_R : PN_L;
    PN_MAIN(left.MD, left.TOP, left.CURSOR, 1, width / 2 - 1, Y2, RIGHTSIDE != SWAPPANEL);
    PN_MAIN(right.MD, right.TOP, right.CURSOR, width / 2 + 1, width - 1, Y2,
            RIGHTSIDE == SWAPPANEL);

    CURSOR_OFF();
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
        CLRSCR();
        break;
      default:
        return key;
    }
  }
}

}  // namespace agat
