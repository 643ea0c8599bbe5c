// A centred question with a horizontal row of buttons.
#pragma once

#include <cstdint>
#include <string_view>

namespace agat {

// Asks the one-line question BD under the title HD. MN describes the buttons: every "|"
// starts one, and the characters up to the next "|" are its label ("| Да | Нет ").
// SEL is the selected button, counted from 1: the caller preselects it, Left and Right
// move it within the buttons. True on Enter (the choice is in SEL), false on Escape.
// The selected button is drawn in COLMENU with foreground and background swapped.
bool MN_MINI(std::uint8_t COLBORD, std::uint8_t COLHEAD, std::uint8_t COLMSG, std::uint8_t COLMENU,
             std::string_view HD, std::string_view BD, std::string_view MN, std::uint8_t& SEL);

}  // namespace agat
