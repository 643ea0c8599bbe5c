#include "ui/maxi_menu.h"

#include <algorithm>
#include <string>
#include <vector>

#include "content/colours.h"
#include "platform/crt_keys.h"
#include "ui/global_keys.h"
#include "ui/mywrite.h"
#include "ui/subwindows.h"

namespace agat {

namespace {

void write_at(int x, int y, std::string_view text, std::uint8_t colour) {
  MFLUSH();
  TEXTATTR = colour;
  crt_goto_xy(x, y);
  MWRITE(text);
  MFLUSH();
}

}  // namespace

bool MN_MAXI(PMENUITEM PFIRSTITEM, std::string_view HD, T_ACTOR& ACTOR, std::int32_t& ARG,
             const MenuBackdrop& BACKDROP) {
  std::vector<PMENUITEM> items;
  for (PMENUITEM item = PFIRSTITEM; item != nullptr && items.size() < MAX_MENU_ITEMS;
       item = item->INEXTITEM)
    items.push_back(item);
  if (items.empty()) return false;

  int lw = 0;
  for (PMENUITEM item : items) {
    const int w = static_cast<int>(item->ILABEL.size()) +
                  (item->IACT == MASUBMENU ? 2 : static_cast<int>(item->IACCEL.size()));
    lw = std::max(lw, w);
  }
  lw = std::max(lw + 2, static_cast<int>(HD.size()));
  int selected = 1;
  const int count = static_cast<int>(items.size());

  const auto draw = [&] {
    int x1 = 0, y1 = 0;
    SW_MAKECWIN(lw + 2, count + 1, COL[MN_MAIN_RAMKA], COL[MN_MAIN_HEADER], HD, x1, y1);
    for (int n = 1; n <= count; ++n) {
      PMENUITEM item = items[n - 1];
      const bool sel = n == selected;
      write_at(x1 + 2, y1 + n, item->ILABEL, COL[sel ? MN_MAIN_SELTEXT : MN_MAIN_TEXT]);
      if (item->IACT == MASUBMENU && item->IACCEL.empty()) {
        write_at(x1 + lw - 1, y1 + n, ">>", COL[sel ? MN_MAIN_SELTEXT : MN_MAIN_TEXT]);
      } else {
        const int x = x1 + lw - static_cast<int>(item->IACCEL.size()) + 1;
        write_at(x, y1 + n, item->IACCEL, COL[sel ? MN_MAIN_SELHOTK : MN_MAIN_HOTKEY]);
      }
    }
  };
  // What lies under a submenu: this menu's backdrop and this menu.
  const MenuBackdrop under_submenu = [&] {
    if (BACKDROP) BACKDROP();
    draw();
  };

  while (true) {
    draw();
    crt_cursor_off();
    const std::uint16_t key = MREADKEY();
    if (GK_ISACTOR(key, ACTOR, ARG)) return true;
    switch (key) {
      case KEYCODE_ENTER: {
        PMENUITEM item = items[selected - 1];
        if (item->IACT == MASUBMENU) {
          const std::string title = " " + std::string(item->ILABEL) + " ";
          if (MN_MAXI(item->PSUBMENU, title, ACTOR, ARG, under_submenu)) return true;
          if (BACKDROP) BACKDROP();
        } else {
          ACTOR = item->ROUTE;
          ARG = item->ARG;
          return true;
        }
        break;
      }
      case KEYCODE_ESCAPE:
      case KEYCODE_BACKSPACE:
        return false;
      case HKEY_UP:
        selected = selected == 1 ? count : selected - 1;
        break;
      case HKEY_DOWN:
        selected = selected == count ? 1 : selected + 1;
        break;
      case HKEY_RESIZE:
        if (BACKDROP) BACKDROP();
        break;
      default:
        break;
    }
  }
}

}  // namespace agat
