// The items of the file manager that act on a file in a content format: the view, compare,
// edit, export and import menus' items for the formats, and the keys that start them. The
// main menu (ui/main_menu.cpp) and the key table (ui/global_keys.cpp) read them from here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "content/format_defines.h"
#include "core/cp1251_literal.h"
#include "platform/crt_keys.h"
#include "ui/actions_content.h"
#include "ui/actions_transfer.h"

namespace agat {

// The submenu an item belongs to.
enum class FormatMenu : std::uint8_t { view, compare, edit, exports, imports };

// One item: its label, the key shown beside it and the key's code (0 for none), the action
// and the format it is started with.
struct FormatItem {
  FormatMenu menu;
  std::string_view label;
  std::string_view accel;
  std::uint16_t key;
  T_ACTOR route;
  TFILEFORMAT format;
};

// In the order of the menus; the key table takes the keys in this order too.
inline constexpr FormatItem kFormatItems[] = {
    {FormatMenu::view, "Автоопределение формата"_w, "F3", HKEY_F3, AC_VIEW, FFAUTO},
    {FormatMenu::view, "Как есть HEX"_w, "b", 'b', AC_VIEW, FFASIS},
    {FormatMenu::view, "Basic", "", 0, AC_VIEW, FFBASIC},
    {FormatMenu::view, "Обычный текст"_w, "t", 't', AC_VIEW, FFTEXT},
    {FormatMenu::view, "B-формат \"Агат-Автора\""_w, "", 0, AC_VIEW, FFAGAWT},
    {FormatMenu::view, "B-формат \"Автографа\""_w, "T", 'T', AC_VIEW, FFAUTOGRAF},
    {FormatMenu::view, "B-формат как HEX"_w, "B", 'B', AC_VIEW, FFBINARY},
    {FormatMenu::view, "К-формат как HEX"_w, "K", 'K', AC_VIEW, FFKOMAND},
    {FormatMenu::view, "B-графика"_w, "g", 'g', AC_VIEW, FFBINGRAF},
    {FormatMenu::view, "К-графика"_w, "G", 'G', AC_VIEW, FFKOMGRAF},
    {FormatMenu::view, "Д-картинка Alv Graf"_w, "", 0, AC_VIEW, FFALVGRAF},
    {FormatMenu::view, "Сжатый ZX Picler"_w, "", 0, AC_VIEW, FFZXCOMPGRAF},
    {FormatMenu::view, "Несжатый ZX Picler"_w, "", 0, AC_VIEW, FFZXUNCOMPGRAF},
    {FormatMenu::view, "ФРГ MouseGraf"_w, "", 0, AC_VIEW, FFMGFRAGM},

    {FormatMenu::compare, "Сравнение двух файлов (автотип)"_w, "C", 'C', AC_COMPARE_F, FFAUTO},
    {FormatMenu::compare, "Сравнение двух файлов (побайтно)"_w, "", 0, AC_COMPARE_F, FFASIS},
    {FormatMenu::compare, "Сравнение двух файлов (построчно)"_w, "", 0, AC_COMPARE_F, FFTEXT},

    {FormatMenu::edit, "Как B или K (автоопределение)"_w, "E", 'E', AC_EDIT, FFAUTO},
    {FormatMenu::edit, "Как HEX без оценки формата"_w, "^e", ctrl_key('E'), AC_EDIT, FFASIS},
    {FormatMenu::edit, "Как B"_w, "", 0, AC_EDIT, FFBINARY},
    {FormatMenu::edit, "Как К"_w, "", 0, AC_EDIT, FFKOMAND},

    {FormatMenu::exports, "Автоопределение формата (Basic как AGAT; Bin без перекодировки)"_w, "e",
     'e', AC_EXPORT_F, FFAUTO},
    {FormatMenu::exports, "Автоопределение формата (Basic как GW; Bin с перекодировкой)"_w, "", 0,
     AC_EXPORT_T, FFAUTO},
    {FormatMenu::exports, "Обычный текст"_w, "", 0, AC_EXPORT_F, FFTEXT},
    {FormatMenu::exports, "B-формат \"Агат-Автора\""_w, "", 0, AC_EXPORT_F, FFAGAWT},
    {FormatMenu::exports, "B-формат \"Автографа\""_w, "", 0, AC_EXPORT_F, FFAUTOGRAF},
    {FormatMenu::exports, "Basic-программа, ключевые слова как в Агате"_w, "", 0, AC_EXPORT_F,
     FFBASIC},
    {FormatMenu::exports, "Basic-программа, ключевые слова как в GW-Basic"_w, "", 0, AC_EXPORT_T,
     FFBASIC},
    {FormatMenu::exports, "Двоичный B-файл, без перекодировки"_w, "", 0, AC_EXPORT_F, FFBINARY},
    {FormatMenu::exports, "Двоичный B-файл, с перекодировкой"_w, "", 0, AC_EXPORT_T, FFBINARY},
    {FormatMenu::exports, "Двоичный К-файл, без перекодировки"_w, "", 0, AC_EXPORT_F, FFKOMAND},
    {FormatMenu::exports, "Двоичный К-файл, с перекодировкой"_w, "", 0, AC_EXPORT_T, FFKOMAND},

    {FormatMenu::imports, "Обычный текст"_w, "", 0, AC_IMPORT_F, FFTEXT},
    {FormatMenu::imports, "Basic-программа, ключевые слова как в Агате"_w, "", 0, AC_IMPORT_F,
     FFBASIC},
    {FormatMenu::imports, "Двоичный B-файл, без перекодировки"_w, "", 0, AC_IMPORT_F, FFBINARY},
    {FormatMenu::imports, "Двоичный B-файл, с перекодировкой"_w, "", 0, AC_IMPORT_T, FFBINARY},
    {FormatMenu::imports, "Двоичный К-файл, без перекодировки"_w, "", 0, AC_IMPORT_F, FFKOMAND},
    {FormatMenu::imports, "Двоичный К-файл, с перекодировкой"_w, "", 0, AC_IMPORT_T, FFKOMAND},
};

// How many items have a key of their own; an item shows a key exactly when it has one.
constexpr std::size_t format_key_count() {
  std::size_t n = 0;
  for (const FormatItem& item : kFormatItems) n += item.key != 0;
  return n;
}
static_assert(
    [] {
      for (const FormatItem& item : kFormatItems)
        if ((item.key != 0) == item.accel.empty()) return false;
      return true;
    }(),
    "a format item shows the key it has, and no other");

}  // namespace agat
