#include "ui/mini_menu.h"

#include <algorithm>

#include "platform/crt_keys.h"
#include "ui/mywrite.h"
#include "ui/subwindows.h"

namespace agat {

namespace {

constexpr std::string_view kGap = "  ";  // between two buttons

}  // namespace

bool MN_MINI(std::uint8_t COLBORD, std::uint8_t COLHEAD, std::uint8_t COLMSG, std::uint8_t COLMENU,
             std::string_view HD, std::string_view BD, std::string_view MN, std::uint8_t& SEL) {
  const auto buttons = static_cast<std::int32_t>(std::count(MN.begin(), MN.end(), '|'));
  const auto labels = static_cast<std::int32_t>(MN.size()) - buttons;
  const std::int32_t menu_width =
      labels + static_cast<std::int32_t>(kGap.size()) * std::max(buttons - 1, 0);
  const auto question_width = static_cast<std::int32_t>(BD.size());
  const std::int32_t w = std::max(menu_width, question_width);

  std::int32_t x0 = 0, y0 = 0;
  SW_MAKECWIN(w + 3, 3, COLBORD, COLHEAD, HD, x0, y0);
  TEXTATTR = COLMSG;
  crt_goto_xy(x0 + (w - question_width) / 2 + 2, y0 + 1);
  MWRITE_NOCACHE(BD);

  const auto highlight = static_cast<std::uint8_t>((COLMENU << 4) | (COLMENU >> 4));
  while (true) {
    crt_goto_xy(x0 + (w - menu_width) / 2 + 2, y0 + 2);
    std::int32_t button = 0;
    for (char c : MN) {
      if (c != '|') {
        MWRITE(c);
        continue;
      }
      MFLUSH();
      TEXTATTR = COLMENU;
      // The gap goes out at once, so that it keeps the menu colour even when the
      // button after it is the highlighted one.
      if (button > 0) MWRITE_NOCACHE(kGap);
      if (++button == SEL) TEXTATTR = highlight;
    }
    MFLUSH();

    crt_cursor_off();
    const std::uint16_t key = MREADKEY();
    if (key == KEYCODE_ENTER) return true;
    if (key == KEYCODE_ESCAPE) return false;
    if (key == HKEY_LEFT && SEL > 1) --SEL;
    if (key == HKEY_RIGHT && SEL < buttons) ++SEL;
  }
}

}  // namespace agat
