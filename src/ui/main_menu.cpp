#include "ui/main_menu.h"

#include <vector>

#include "content/format_defines.h"
#include "core/cp1251_literal.h"
#include "core/world_formats.h"
#include "ui/actions_content.h"
#include "ui/actions_files.h"
#include "ui/actions_navigation.h"
#include "ui/actions_transfer.h"

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
  static std::vector<TMENUITEM> view = {
      call("Автоопределение формата"_w, "F3", AC_VIEW, FFAUTO),
      call("Как есть HEX"_w, "b", AC_VIEW, FFASIS),
      call("Basic", "", AC_VIEW, FFBASIC),
      call("Обычный текст"_w, "t", AC_VIEW, FFTEXT),
      call("B-формат \"Агат-Автора\""_w, "", AC_VIEW, FFAGAWT),
      call("B-формат \"Автографа\""_w, "T", AC_VIEW, FFAUTOGRAF),
      call("B-формат как HEX"_w, "B", AC_VIEW, FFBINARY),
      call("К-формат как HEX"_w, "K", AC_VIEW, FFKOMAND),
      call("B-графика"_w, "g", AC_VIEW, FFBINGRAF),
      call("К-графика"_w, "G", AC_VIEW, FFKOMGRAF),
      call("Д-картинка Alv Graf"_w, "", AC_VIEW, FFALVGRAF),
      call("Сжатый ZX Picler"_w, "", AC_VIEW, FFZXCOMPGRAF),
      call("Несжатый ZX Picler"_w, "", AC_VIEW, FFZXUNCOMPGRAF),
      call("ФРГ MouseGraf"_w, "", AC_VIEW, FFMGFRAGM),
  };
  static std::vector<TMENUITEM> compare = {
      call("Сравнение двух файлов (автотип)"_w, "C", AC_COMPARE_F, FFAUTO),
      call("Сравнение двух файлов (побайтно)"_w, "", AC_COMPARE_F, FFASIS),
      call("Сравнение двух файлов (построчно)"_w, "", AC_COMPARE_F, FFTEXT),
      call("Посекторное сравнение двух образов"_w, "c", AC_COMPARE_MS),
      call("Пофайловое сравнение двух сред"_w, "^c", AC_COMPARE_MF),
  };
  static std::vector<TMENUITEM> edit = {
      call("Как B или K (автоопределение)"_w, "E", AC_EDIT, FFAUTO),
      call("Как HEX без оценки формата"_w, "^e", AC_EDIT, FFASIS),
      call("Как B"_w, "", AC_EDIT, FFBINARY),
      call("Как К"_w, "", AC_EDIT, FFKOMAND),
  };
  static std::vector<TMENUITEM> exports = {
      call("Автоопределение формата (Basic как AGAT; Bin без перекодировки)"_w, "e", AC_EXPORT_F,
           FFAUTO),
      call("Автоопределение формата (Basic как GW; Bin с перекодировкой)"_w, "", AC_EXPORT_T,
           FFAUTO),
      call("Обычный текст"_w, "", AC_EXPORT_F, FFTEXT),
      call("B-формат \"Агат-Автора\""_w, "", AC_EXPORT_F, FFAGAWT),
      call("B-формат \"Автографа\""_w, "", AC_EXPORT_F, FFAUTOGRAF),
      call("Basic-программа, ключевые слова как в Агате"_w, "", AC_EXPORT_F, FFBASIC),
      call("Basic-программа, ключевые слова как в GW-Basic"_w, "", AC_EXPORT_T, FFBASIC),
      call("Двоичный B-файл, без перекодировки"_w, "", AC_EXPORT_F, FFBINARY),
      call("Двоичный B-файл, с перекодировкой"_w, "", AC_EXPORT_T, FFBINARY),
      call("Двоичный К-файл, без перекодировки"_w, "", AC_EXPORT_F, FFKOMAND),
      call("Двоичный К-файл, с перекодировкой"_w, "", AC_EXPORT_T, FFKOMAND),
  };
  static std::vector<TMENUITEM> imports = {
      call("Обычный текст"_w, "", AC_IMPORT_F, FFTEXT),
      call("Двоичный B-файл, без перекодировки"_w, "", AC_IMPORT_F, FFBINARY),
      call("Двоичный B-файл, с перекодировкой"_w, "", AC_IMPORT_T, FFBINARY),
      call("Двоичный К-файл, без перекодировки"_w, "", AC_IMPORT_F, FFKOMAND),
      call("Двоичный К-файл, с перекодировкой"_w, "", AC_IMPORT_T, FFKOMAND),
  };
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
