#include "ui/main_menu.h"

#include <vector>

#include "core/cp1251_literal.h"
#include "ui/actions_content.h"
#include "ui/actions_navigation.h"

namespace agat {

namespace {

// Links the items of one menu into a chain and returns its first item.
PMENUITEM chain(std::vector<TMENUITEM>& items) {
  for (std::size_t i = 0; i + 1 < items.size(); ++i) items[i].INEXTITEM = &items[i + 1];
  return items.empty() ? nullptr : &items[0];
}

TMENUITEM call(std::string_view label, std::string_view accel, T_ACTOR route,
               std::int32_t arg = 0) {
  TMENUITEM item;
  item.ILABEL = label;
  item.IACCEL = accel;
  item.IACT = MACALL;
  item.ROUTE = route;
  item.ARG = arg;
  return item;
}

TMENUITEM submenu(std::string_view label, PMENUITEM first) {
  TMENUITEM item;
  item.ILABEL = label;
  item.IACT = MASUBMENU;
  item.PSUBMENU = first;
  return item;
}

}  // namespace

PMENUITEM main_menu() {
  static std::vector<TMENUITEM> compare = {
      call("Посекторное сравнение двух образов"_w, "c", AC_COMPARE_MS),
  };
  static std::vector<TMENUITEM> top = {
      submenu("Сравнение объектов"_w, chain(compare)),
      call("Обменять местами панели"_w, "^u", AC_PAN_CHANGE),
      call("То же самое в другой панели"_w, "a", AC_SOME_PATH),
      call("Перечитать каталог"_w, "^r", AC_RELOAD),
      call("Порядок сортировки имён"_w, "^s", AC_SORT),
      call("Запустить здесь файл-менеджер"_w, "m", AC_FILE_MAN),
      call("Выход из программы"_w, "F10", AC_EXIT),
  };
  static const PMENUITEM first = chain(top);
  return first;
}

}  // namespace agat
