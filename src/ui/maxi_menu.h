// The pull-down menu: a chain of items, each opening a submenu or choosing an action.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>

#include "ui/interface_formats.h"

namespace agat {

enum TMENUACTION : std::uint8_t { MASUBMENU = 0, MACALL = 1 };

struct TMENUITEM {
  std::string_view ILABEL;  // Windows-1251
  std::string_view IACCEL;  // the key shown at the right (display only)
  const TMENUITEM* INEXTITEM = nullptr;
  TMENUACTION IACT = MACALL;
  const TMENUITEM* PSUBMENU = nullptr;  // MASUBMENU
  T_ACTOR ROUTE = nullptr;              // MACALL
  std::int32_t ARG = 0;
};
using PMENUITEM = const TMENUITEM*;

inline constexpr int MAX_MENU_ITEMS = 16;

// Draws the screen that lies under a menu.
using MenuBackdrop = std::function<void()>;

// Shows the menu until an action is chosen (true: ACTOR and ARG say which) or the user
// leaves it (false). A key of the key table chooses its action from any menu. BACKDROP,
// when given, redraws what lies under the menu: a submenu that closes leaves nothing of
// itself behind, and a change of the screen's size redraws the whole screen.
bool MN_MAXI(PMENUITEM PFIRSTITEM, std::string_view HD, T_ACTOR& ACTOR, std::int32_t& ARG,
             const MenuBackdrop& BACKDROP = {});

}  // namespace agat
