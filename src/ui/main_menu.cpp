#include "ui/main_menu.h"

#include <vector>

#include "core/cp1251_literal.h"
#include "core/world_formats.h"
#include "ui/actions_content.h"
#include "ui/actions_files.h"
#include "ui/actions_navigation.h"
#include "ui/actions_transfer.h"
#include "ui/format_items.h"

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

// The items of one of the menus of content formats, in the table's order.
std::vector<TMENUITEM> format_menu(FormatMenu menu) {
  std::vector<TMENUITEM> items;
  for (const FormatItem& item : kFormatItems)
    if (item.menu == menu) items.push_back(call(item.label, item.accel, item.route, item.format));
  return items;
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
  static std::vector<TMENUITEM> view = format_menu(FormatMenu::view);
  static std::vector<TMENUITEM> compare = [] {
    std::vector<TMENUITEM> items = format_menu(FormatMenu::compare);
    items.push_back(call("Посекторное сравнение двух образов"_w, "c", AC_COMPARE_MS));
    items.push_back(call("Пофайловое сравнение двух сред"_w, "^c", AC_COMPARE_MF));
    return items;
  }();
  static std::vector<TMENUITEM> edit = format_menu(FormatMenu::edit);
  static std::vector<TMENUITEM> exports = format_menu(FormatMenu::exports);
  static std::vector<TMENUITEM> imports = format_menu(FormatMenu::imports);
  static std::vector<TMENUITEM> files = {
      call("Информация об объекте"_w, "", AC_INFO),
      call("Скопировать файл"_w, "F5", AC_COPYMOVE, 0),
      call("Переместить файл"_w, "F6", AC_COPYMOVE, 1),
      call("Переименовать объект"_w, "r", AC_RENAME),
      call("Убрать защиту \"*\""_w, "", AC_RELOCK, -1),
      call("Изменить защиту \"*\""_w, "", AC_RELOCK, 0),
      call("Поставить защиту \"*\""_w, "", AC_RELOCK, 1),
      call("Создать каталог"_w, "F7", AC_MAKEDIR),
      call("Удалить объект"_w, "F8", AC_DELETE),
      call("Попытаться восстановить файл"_w, "F4", AC_UNDELETE),
  };
  static std::vector<TMENUITEM> media = [] {
    std::vector<TMENUITEM> items = {
        call("Очистить неиспользуемые области образа"_w, "F11", AC_CLEANMEDIA),
        call("Карта образа"_w, "F12", AC_IMMAP),
    };
    // One item per form that a new file can have, in the order of the forms.
    for (const TIMAGEDESC& d : IMAGEDESC)
      if (d.creatable) items.push_back(call(d.menu_label, "", AC_CREATEMEDIA, d.form));
    items.push_back(call("Создать загрузочный образ (ДОС образа под курсором)"_w, "",
                         AC_CREATEBOOTMEDIA));
    items.push_back(call("Изменить имя тома"_w, "", AC_REVOLUME));
    items.push_back(call("Смешать отмеченные образы"_w, "", AC_BLENDMEDIA));
    return items;
  }();
  static std::vector<TMENUITEM> top = {
      submenu("Просмотр файла"_w, chain(view)),
      submenu("Сравнение объектов"_w, chain(compare)),
      submenu("Редактирование файла (HEX)"_w, chain(edit)),
      submenu("Экспорт файла"_w, chain(exports)),
      submenu("Импорт файла"_w, chain(imports)),
      submenu("Основное-разное"_w, chain(files)),
      submenu("Образ"_w, chain(media)),
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
