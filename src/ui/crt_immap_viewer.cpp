#include "ui/crt_immap_viewer.h"

#include <algorithm>
#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "content/colours.h"
#include "core/char_sets.h"
#include "core/cp1251_literal.h"
#include "core/immap.h"
#include "core/sector_oddity.h"
#include "platform/crt_keys.h"
#include "ui/mywrite.h"
#include "ui/subwindows.h"

namespace agat {

namespace crt_immap_viewer {

TVIEWMODE VIEWMODE = VMLINKS;
std::int32_t TOPTRY = 0;
std::int32_t PREVTOPTRY = -9999;
std::int32_t CURSTRY = 0;
std::int32_t CURSSCX = 0;
std::int32_t NOTESX = 0;
bool WITHSPACERS = false;
bool NEEDCLRSCR = false;
std::uint8_t PREVC = 0xFF;

namespace {

constexpr std::array<char, 4> FCH = {'V', 'C', '>', '*'};
constexpr std::array<std::string_view, 4> NAMES = {"VTOC", "каталог"_w, "TS-список"_w, "данные"_w};
constexpr std::array<std::string_view, 3> MODE_TITLES = {
    "    Режим просмотра ссылок из других секторов на заданный"_w,
    "    Режим восстановления диска поиском T/S списков"_w,
    "    Режим просмотра расширений и содержания заданного сектора"_w,
};

// The last fault noted while the map was drawn.
bool fault_noted = false;
std::int32_t fault_t = 0, fault_s = 0;

std::int32_t screen_rows() {
  return crt_screen_height();
}
// The track rows below the first.
std::int32_t TRONSCR() {
  return std::max(screen_rows() - 3, 0);
}

// The output so far is written, then the cursor moves.
void at(int x, int y) {
  MFLUSH();
  crt_goto_xy(x, y);
}

std::string padded(std::int32_t v, std::size_t width) {
  std::string digits = std::to_string(v);
  if (digits.size() < width) digits.insert(0, width - digits.size(), ' ');
  return digits;
}

// Text in one colour.
struct Piece {
  std::uint8_t colour;
  std::string text;
};

// Panel row y: the pieces, then the rest of the row cleared.
void panel_line(int y, std::initializer_list<Piece> pieces) {
  at(NOTESX, y);
  for (const Piece& p : pieces) {
    MFLUSH();
    TEXTATTR = p.colour;
    MWRITE(p.text);
  }
  MFLUSH();
  crt_clear_line_end();
}

std::string place(std::int32_t t, std::int32_t s) {
  return std::to_string(t) + " / " + std::to_string(s);
}

std::string hex_byte(std::uint8_t b) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  return {kHex[b >> 4], kHex[b & 15]};
}

void SETC(std::uint8_t attribute) {
  if (attribute == PREVC) return;
  MFLUSH();
  TEXTATTR = attribute;
  PREVC = attribute;
}

std::uint8_t inverse(std::uint8_t c) {
  return static_cast<std::uint8_t>((c << 4) | (c >> 4));
}
std::uint8_t shifted(std::uint8_t c) {
  return static_cast<std::uint8_t>((c & 0x0F) << 4);
}
std::uint8_t flashed(std::uint8_t c) {
  return static_cast<std::uint8_t>(c | 0x10);
}

char role_char(const T_IMMSECTORDESC& d) {
  return d.LINKSCNT > 0 ? FCH[d.LINKSFROM[0].LF_FORMAT] : '-';
}

std::uint8_t base_colour(const T_IMMSECTORDESC& d) {
  return COL[d.ERRREAD ? IMM_BADSEC : IMM_BASE];
}

// The character twice in the base colour, or "_" and the character inverse.
void CHOUT(char c, std::uint8_t base, bool plain) {
  SETC(plain ? base : inverse(base));
  MWRITE(plain ? c : '_');
  MWRITE(c);
}

void DRMAP_LINKS(const T_IMMSECTORDESC& d) {
  const std::uint8_t base = base_colour(d);
  if (d.LINKSCNT == 0) {
    CHOUT('-', base, d.ISFREE);
  } else if (d.LINKSCNT == 1) {
    CHOUT(role_char(d), base, !d.ISFREE);
  } else if (d.LINKSCNT <= 99) {
    SETC(base);
    MWRITE(d.LINKSCNT < 10 ? "_" + std::to_string(d.LINKSCNT) : std::to_string(d.LINKSCNT));
  } else {
    CHOUT('!', base, !d.ISFREE);
  }
}

void DRMAP_ENTURES(const T_IMMSECTORDESC& d) {
  const std::uint8_t base = base_colour(d);
  if (d.ERRSELF || d.ERRFROM) {
    SETC(shifted(base));
    MWRITE('!');
  } else {
    SETC(base);
    MWRITE(role_char(d));
  }
  MWRITE(role_char(d));
}

void DRMAP_TSLIST(const T_IMMSECTORDESC& d) {
  if (d.ERRREAD) {
    SETC(COL[IMM_BADSEC]);
    MWRITE('?');
  } else {
    std::uint8_t c = COL[IMM_BASE];
    if (d.ISFREE && d.ISTSLIST) c = COL[d.ISFREETSLIST ? IMM_FREETSL : IMM_TSL];
    SETC(d.ISFLASH ? flashed(c) : c);
    MWRITE(!d.ISTSLIST ? ' ' : d.ISFREETSLIST ? 't' : 'T');
  }
  MWRITE(role_char(d));
}

void DRMODE() {
  TEXTATTR = COL[IMM_HEADER];
  at(1, 1);
  crt_clear_line_end();
  MWRITE(MODE_TITLES[VIEWMODE]);
  MFLUSH();
}

void DRSECNUM(std::uint8_t ns) {
  TEXTATTR = COL[IMM_NUMBERS];
  at(5, 2);
  for (int sc = 0; sc <= ns; ++sc) {
    if (WITHSPACERS) {
      MWRITE(padded(sc, 2) + " ");
    } else {
      MWRITE(sc % 2 == 0 ? padded(sc, 2) : "  ");
    }
  }
  MFLUSH();
}

void DRMAP(const T_IMMARRAY& map, std::uint8_t nt, std::uint8_t ns) {
  for (int row = 3; row <= screen_rows(); ++row) {
    const std::int32_t tr = row - 3 + TOPTRY;
    at(1, row);
    TEXTATTR = COL[IMM_NUMBERS];
    if (tr > nt) {
      crt_clear_line_end();
      continue;
    }
    MWRITE(padded(tr, 3) + " ");
    PREVC = 0xFF;
    for (int sc = 0; sc <= ns; ++sc) {
      const T_IMMSECTORDESC& d = map[static_cast<std::size_t>(tr)][static_cast<std::size_t>(sc)];
      if (is_fault(d)) {
        fault_noted = true;
        fault_t = tr;
        fault_s = sc;
      }
      switch (VIEWMODE) {
        case VMLINKS:
          DRMAP_LINKS(d);
          break;
        case VMTSLIST:
          DRMAP_TSLIST(d);
          break;
        case VMENTURES:
          DRMAP_ENTURES(d);
          break;
      }
      if (WITHSPACERS) {
        SETC(COL[EMPTY]);
        MWRITE(' ');
      }
    }
    MFLUSH();
  }
}

void DRBUG() {
  std::string note;
  if (fault_noted) note = std::string("Ближайший глюк в "_w) + place(fault_t, fault_s) + " !!!";
  panel_line(3, {{COL[IMM_HIREMARK], note}});
}

// A file name for the panel: Agat codes shown through Windows-1251, control codes as "?",
// without the trailing blanks, between double quotes.
std::string AGAT_NAME(const TAGATNAME& name) {
  std::string text = A2L(std::string_view(reinterpret_cast<const char*>(name.data()), 30));
  for (char& c : text) {
    const auto b = static_cast<std::uint8_t>(c);
    if (!((b >= 0x20 && b <= 0x7F) || b >= 0xC0)) c = '?';
  }
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return '"' + text + '"';
}

void show_message(std::string_view text) {
  SW_MESSAGE(COL[HELP_RAMKA], COL[HELP_HEADER], COL[HELP_BODY], " Справка "_w, text);
}

}  // namespace

void DRAWMAP(const T_IMMARRAY& MAP, std::uint8_t NT, std::uint8_t NS) {
  fault_noted = false;
  DRMODE();
  DRSECNUM(NS);
  DRMAP(MAP, NT, NS);
  DRBUG();
}

void DRAWSCINFO(const T_IMMARRAY& MAP, const MediaOddities& ODD) {
  const T_IMMSECTORDESC& d =
      MAP[static_cast<std::size_t>(CURSTRY)][static_cast<std::size_t>(CURSSCX)];
  const std::uint8_t remark = COL[IMM_REMARK], erremark = COL[IMM_ERREMARK];

  std::string head = std::string("Сектор "_w) + place(CURSTRY, CURSSCX);
  if (d.EXTTOTR != 0) head += std::string(" (далее в "_w) + place(d.EXTTOTR, d.EXTTOSC) + ")";
  panel_line(5, {{remark, head}});

  std::string errors;
  auto add = [&errors](std::string_view what) {
    if (!errors.empty()) errors += ", ";
    errors += what;
  };
  if (d.ERRREAD) add("чтения"_w);
  if (d.ERRFROM) add("расширения"_w);
  if (d.ERRSELF) add(std::string("содержимого (смещение $"_w) + hex_byte(d.INTBUGOFFS) + ")");
  panel_line(6, {{remark, std::string("Ошибки: "_w)},
                 errors.empty() ? Piece{remark, std::string("нет"_w)} : Piece{erremark, errors}});

  const std::string_view contents = !d.ISTSLIST      ? "без особенностей"_w
                                    : d.ISFREETSLIST ? "пустой T/S список"_w
                                                     : "T/S список"_w;
  panel_line(7, {{remark, std::string("Содержимое: "_w) + std::string(contents)}});
  panel_line(8, {{remark, std::string("По карте VTOC: "_w)},
                 {d.ISFREE && d.LINKSCNT > 0 ? erremark : remark,
                  std::string(d.ISFREE ? "свободен"_w : "занят"_w)}});
  const Piece count = d.LINKSCNT == 0   ? Piece{remark, std::string("нет"_w)}
                      : d.LINKSCNT == 1 ? Piece{remark, std::string("одна"_w)}
                                        : Piece{erremark, std::to_string(d.LINKSCNT)};
  panel_line(9, {{remark, std::string("Ссылки на сектор: "_w)}, count});
  // A sector of a protected disk, read whole although its track departs from the form.
  int y = 10;
  const std::uint8_t odd =
      ODD[static_cast<std::size_t>(CURSTRY)][static_cast<std::size_t>(CURSSCX)];
  if (odd != 0) panel_line(y++, {{remark, std::string("Нестандартный: "_w) + oddity_text(odd)}});

  // The references from row 10, as far as the screen reaches; the second on in the
  // error colour.
  std::vector<Piece> rows;
  for (std::int32_t n = 0; n < d.LINKSCNT; ++n) {
    const TIMMLINK& link = d.LINKSFROM[static_cast<std::size_t>(n)];
    const std::uint8_t colour = n == 0 ? remark : erremark;
    if (link.LF_FORMAT == IMMVTOC) {
      rows.push_back({colour, std::string("Исходя из расположения - это VTOC"_w)});
      continue;
    }
    const T_IMMSECTORDESC& from = MAP[link.LF_T][link.LF_S];
    const std::string_view from_role = from.LINKSCNT > 0 ? NAMES[from.LINKSFROM[0].LF_FORMAT] : "-";
    rows.push_back({colour, std::string("Ссылка из "_w) + place(link.LF_T, link.LF_S) + " (" +
                                std::string(from_role) + ")"});
    rows.push_back(
        {colour, std::string("подразумевает здесь "_w) + std::string(NAMES[link.LF_FORMAT])});
    if (link.LF_FORMAT == IMMTSLIST || link.LF_FORMAT == IMMDATA)
      rows.push_back({colour, std::string("файла "_w) + AGAT_NAME(link.LF_FNAME)});
  }
  for (const Piece& row : rows) {
    if (y > screen_rows() - 1) break;
    panel_line(y++, {{row.colour, "  " + row.text}});
  }
  for (; y <= screen_rows() - 1; ++y) panel_line(y, {});
}

void FIND_TSL(const T_IMMARRAY& MAP, std::uint8_t& T, std::uint8_t& S, std::uint8_t NT,
              std::uint8_t NS) {
  for (int t = T; t <= NT; ++t) {
    for (int s = t == T ? S : 0; s <= NS; ++s) {
      // The first list of a lost chain: its further lists are recovered with it.
      if (MAP[static_cast<std::size_t>(t)][static_cast<std::size_t>(s)].ISORPHANHEAD) {
        T = static_cast<std::uint8_t>(t);
        S = static_cast<std::uint8_t>(s);
        return;
      }
    }
  }
}

void HELP() {
  show_message(
      "Управление просмотрщиком карты диска:\n"
      "F1 - этот текст;\n"
      "F3, F12 - выход;\n"
      "TAB - к первому T/S-списку следующей брошенной цепочки;\n"
      "\"r\" - восстановление файла из брошенной цепочки\n"
      "(курсор должен быть на её первом T/S-списке; удалённый\n"
      "файл восстанавливается под своим именем);\n"
      "\"l\" - легенда карты;\n"
      "Пробел - смена режима просмотра;\n"
      "Enter - редактирование сектора;\n"
      "Стрелки и PgUp/PgDn - листание."_w);
}

void LEGEND_LINKS() {
  show_message(
      "Легенда карты диска (просмотр ссылок на данный сектор):\n"
      "\n"
      "Видение сектора с точки зрения файловой системы:\n"
      "\"V\" - VTOC; \"C\" - каталог; \">\" - T/S список; \"*\" - данные.\n"
      "Тире - на сектор нет ссылок.\n"
      "Розовый цвет - ошибка чтения сектора.\n"
      "Инверсный и \"_\" - несоответствие информации: сектор свободен,\n"
      "но на него ссылаются или занят, но на него нет ссылок.\n"
      "Число - на сектор больше двух ссылок.\n"
      "\"!\" - на сектор больше 99 ссылок."_w);
}

void LEGEND_ENTURES() {
  show_message(
      "Легенда карты диска (просмотр содержания данного сектора):\n"
      "\n"
      "Видение сектора с точки зрения файловой системы:\n"
      "\"V\" - VTOC; \"C\" - каталог; \">\" - T/S список; \"*\" - данные.\n"
      "Тире - на сектор нет ссылок.\n"
      "Розовый цвет - ошибка чтения сектора.\n"
      "\"!\" и инверсия - ошибка в содержимом сектора или в его расширении."_w);
}

void LEGEND_TSLIST() {
  show_message(
      "Легенда карты диска (просмотр карты T/S-списков):\n"
      "\n"
      "Видение сектора с точки зрения файловой системы:\n"
      "\"V\" - VTOC; \"C\" - каталог; \">\" - T/S список; \"*\" - данные.\n"
      "Тире - на сектор нет ссылок.\n"
      "Розовый цвет и \"?\" - ошибка чтения сектора.\n"
      "Инверсный - подсветка секторов, относящихся к последнему\n"
      "T/S-списку, на котором находился курсор.\n"
      "\n"
      "Видение сектора с точки зрения его содержимого:\n"
      "\"T\" - T/S-список с данными, \"t\" - пустой T/S-список.\n"
      "Цветом выделяются также T/S-списки, сектора которых во VTOC свободны."_w);
}

}  // namespace crt_immap_viewer

using namespace crt_immap_viewer;

void IMGMAPOPEN() {
  NEEDCLRSCR = true;
}

void IMGMAPCLOSE() {}

std::uint8_t IMGMAPEXPOSE(const T_IMMARRAY& MAP, std::uint8_t& T, std::uint8_t& S, std::uint8_t NT,
                          std::uint8_t NS, const MediaOddities& ODD) {
  while (true) {
    CURSSCX = S;
    CURSTRY = T;
    if (NEEDCLRSCR) {
      MFLUSH();
      TEXTATTR = COL[EMPTY];
      crt_clear_screen();
      PREVTOPTRY = -9999;
      NEEDCLRSCR = false;
    }
    WITHSPACERS = crt_screen_width() > 105;
    const int cell = WITHSPACERS ? 3 : 2;
    NOTESX = (NS + 1) * cell + 6;
    const std::int32_t tronscr = TRONSCR();
    if (TOPTRY > T) TOPTRY = T;
    if (T - tronscr > TOPTRY) TOPTRY = T - tronscr;
    if (PREVTOPTRY != TOPTRY || MAP[T][S].ISTSLIST) {
      DRAWMAP(MAP, NT, NS);
      PREVTOPTRY = TOPTRY;
    }
    DRAWSCINFO(MAP, ODD);
    at(CURSSCX * cell + 5, CURSTRY + 3 - TOPTRY);
    crt_cursor_on();
    const std::uint16_t key = MREADKEY();
    switch (key) {
      case KEYCODE_TAB:
        FIND_TSL(MAP, T, S, NT, NS);
        return IMMC_UP;
      case KEYCODE_ENTER:
        NEEDCLRSCR = true;
        return IMMC_EDIT;
      case KEYCODE_ESCAPE:
      case HKEY_F3:
      case HKEY_F12:
        return IMMC_LEAVE;
      case ' ':
        PREVTOPTRY = -9999;
        VIEWMODE = static_cast<TVIEWMODE>((VIEWMODE + 1) % 3);
        break;
      case 'l':
        if (VIEWMODE == VMLINKS) LEGEND_LINKS();
        if (VIEWMODE == VMTSLIST) LEGEND_TSLIST();
        if (VIEWMODE == VMENTURES) LEGEND_ENTURES();
        NEEDCLRSCR = true;
        break;
      case 'r':
        NEEDCLRSCR = true;
        return IMMC_BUILD;
      case HKEY_F1:
        HELP();
        NEEDCLRSCR = true;
        break;
      case HKEY_UP:
        T = T == 0 ? NT : static_cast<std::uint8_t>(T - 1);
        return IMMC_UP;
      case HKEY_DOWN:
        T = T >= NT ? 0 : static_cast<std::uint8_t>(T + 1);
        return IMMC_DOWN;
      case HKEY_LEFT:
        S = S == 0 ? NS : static_cast<std::uint8_t>(S - 1);
        return IMMC_LEFT;
      case HKEY_RIGHT:
        S = S >= NS ? 0 : static_cast<std::uint8_t>(S + 1);
        return IMMC_RIGHT;
      case HKEY_PPAGE:
        T = T >= tronscr ? static_cast<std::uint8_t>(T - tronscr) : NT;
        return IMMC_UP;
      case HKEY_NPAGE:
        T = T <= NT - tronscr ? static_cast<std::uint8_t>(T + tronscr) : 0;
        return IMMC_DOWN;
      case HKEY_RESIZE:
        NEEDCLRSCR = true;
        break;
      default:
        break;
    }
  }
}

}  // namespace agat
