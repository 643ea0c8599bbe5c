// The pull-down menu: a chain of items, each opening a submenu or choosing an action.
#pragma once

#include <cstdint>
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

// Shows the menu until an action is chosen (true: ACTOR and ARG say which) or the user
// leaves it (false). A key of the key table chooses its action from any menu.
bool MN_MAXI(PMENUITEM PFIRSTITEM, std::string_view HD, T_ACTOR& ACTOR, std::int32_t& ARG);

}  // namespace agat
