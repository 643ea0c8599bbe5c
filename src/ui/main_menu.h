// The main menu of the file manager (F9) and its submenus.
#pragma once

#include "ui/maxi_menu.h"

namespace agat {

PMENUITEM main_menu();

}  // namespace agat
