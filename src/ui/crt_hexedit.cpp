#include "ui/crt_hexedit.h"

#include <algorithm>
#include <string>
#include <string_view>

#include "content/colours.h"
#include "content/dizasm.h"
#include "content/hexdump.h"
#include "core/char_sets.h"
#include "core/cp1251_literal.h"
#include "platform/crt_keys.h"
#include "ui/mini_menu.h"
#include "ui/mywrite.h"
#include "ui/subwindows.h"

namespace agat {

namespace crt_hexedit {

TEDITMODE EDITMODE = MDHEX;
std::int32_t TOP = 0;
std::int32_t CURSOR = 0;
std::uint8_t CURDIG = 0;
std::int32_t SELBEG = NO_SELECTION;
std::int32_t SELEND = NO_SELECTION;
bool SELMODE = false;

namespace {

// The low 4 x N bits of V as N upper-case hex digits.
std::string hex(std::uint32_t v, int n) {
  static constexpr std::string_view kDigits = "0123456789ABCDEF";
  std::string out(static_cast<std::size_t>(n), '0');
  for (int i = n - 1; i >= 0; --i, v >>= 4) out[static_cast<std::size_t>(i)] = kDigits[v & 15];
  return out;
}

// Writes S in attribute A through the output cache, flushing it when the colour changes.
void put(std::uint8_t a, std::string_view s) {
  if (a != TEXTATTR) {
    MFLUSH();
    TEXTATTR = a;
  }
  MWRITE(s);
}

// A byte in the character column: its Windows-1251 character where that is printable.
char shown(std::uint8_t b) {
  const std::uint8_t c = A2L(b);
  return (c >= 32 && c <= 127) || c >= 192 ? static_cast<char>(c) : '.';
}

// One row at the cursor: the row at address ADDR, whose first byte is BLOCK[FIRST]. Only
// positions SKIP..STOP-1 lie in the block and are read; SEL_SKIP..SEL_STOP-1 are selected.
void LINEOUT(const std::uint8_t* block, std::int32_t first, int SKIP, int STOP, int SEL_SKIP,
             int SEL_STOP, std::int32_t ADDR) {
  put(COL[HEX_ADDR], hex(static_cast<std::uint32_t>(ADDR), 4) + ":  ");
  std::string chars;
  for (int p = 0; p < 16; ++p) {
    if (p == 8) {
      put(COL[HEX_HEX], "- ");
      chars += ' ';
    }
    if (p < SKIP || p >= STOP) {
      put(COL[HEX_HEX], "-- ");
      chars += ' ';
      continue;
    }
    const std::uint8_t b = block[first + p];
    const bool selected = p >= SEL_SKIP && p < SEL_STOP;
    put(COL[selected ? HEX_SELHEX : HEX_HEX], hex(b, 2) + " ");
    chars += shown(b);
  }
  put(COL[HEX_HEX], "  ");
  put(COL[HEX_CHAR], chars);
  MFLUSH();
  crt_clear_line_end();
}

// Where the cursor stands on the screen, or hidden when the block is read-only.
void place_cursor() {
  if (EDITMODE == MDNONE) {
    crt_cursor_off();
    return;
  }
  const std::int32_t pos = (CURSOR - TOP) % 16;
  const std::int32_t row = (CURSOR - TOP) / 16 + 1;
  const std::int32_t half = pos >= 8 ? 1 : 0;
  crt_goto_xy(EDITMODE == MDHEX ? 8 + 3 * pos + 2 * half + CURDIG : 60 + pos + half, row);
  crt_cursor_on();
}

// TOP, and while editing CURSOR, brought into the block at FIRST..LAST so that the cursor
// is on the screen.
void bring_into_block(std::int32_t first, std::int32_t last, std::int32_t scrsize) {
  if (EDITMODE != MDNONE) {
    CURSOR = std::clamp(CURSOR, first, last);
    if (TOP > CURSOR) TOP = CURSOR & FF;
    if (CURSOR - scrsize > TOP) TOP = (CURSOR - scrsize) & FF;
  } else if (last < TOP) {
    TOP = last & FF;
  }
  if ((first & FF) > TOP) TOP = first & FF;
}

}  // namespace

void DRAWSCR(const std::uint8_t* PBUF, std::int32_t OFFS, std::int32_t FINAL) {
  const std::int32_t lo = std::min(SELBEG, SELEND);
  const std::int32_t hi = std::max(SELBEG, SELEND);
  std::int32_t a = TOP;
  for (int y = 1; y <= crt_screen_height(); ++y, a += 16) {
    MFLUSH();
    crt_goto_xy(1, y);
    if (a >= FINAL) {
      TEXTATTR = COL[EMPTY];
      crt_clear_line_end();
      continue;
    }
    const auto pos = [a](std::int32_t address) { return std::clamp(address - a, 0, 16); };
    LINEOUT(PBUF, a - OFFS, pos(OFFS), pos(FINAL), pos(lo), pos(hi + 1), a);
  }
}

bool HEXENTER(std::uint8_t* BUF, std::int32_t O, std::uint16_t KEY) {
  std::uint8_t digit = 0;
  if (KEY >= '0' && KEY <= '9')
    digit = static_cast<std::uint8_t>(KEY - '0');
  else if (KEY >= 'a' && KEY <= 'f')
    digit = static_cast<std::uint8_t>(KEY - 'a' + 10);
  else
    return false;
  std::uint8_t& b = BUF[O];
  if (CURDIG == 0) {
    b = static_cast<std::uint8_t>((b & 0x0F) | (digit << 4));
  } else {
    b = static_cast<std::uint8_t>((b & 0xF0) | digit);
    ++CURSOR;
  }
  CURDIG ^= 1;
  return true;
}

bool TEXTENTER(std::uint8_t* BUF, std::int32_t O, std::uint16_t KEY) {
  if (KEY < 32 || KEY > 255) return false;
  BUF[O] = L2A(static_cast<std::uint8_t>(KEY));
  ++CURSOR;
  return true;
}

bool COPY_SEL_AREA(std::uint8_t* BUF, std::int32_t OFFS, std::int32_t SIZE) {
  // Only the part of the selection inside the block is a source, and the copy stops at
  // the block's end; before any selection there is nothing to copy.
  if (SELBEG == NO_SELECTION) return false;
  const std::int32_t from = std::max(std::min(SELBEG, SELEND) - OFFS, 0);
  const std::int32_t to = std::min(std::max(SELBEG, SELEND) - OFFS, SIZE - 1);
  std::int32_t d = CURSOR - OFFS;
  if (d < 0 || d >= SIZE || from > to) return false;
  // Forward byte by byte: a destination inside the source range repeats bytes.
  for (std::int32_t c = from; c <= to && d < SIZE; ++c, ++d) BUF[d] = BUF[c];
  return true;
}

bool ARE_YOU_SURE() {
  std::uint8_t sel = 1;
  return MN_MINI(COL[HEX_MN_RAMKA], COL[HEX_MN_HEADER], COL[HEX_MN_BODY], COL[HEX_MN_MENU],
                 " Вы уверены ? "_w, "Сохранить изменения ?"_w, "| Да | Нет "_w, sel) &&
         sel == 1;
}

void HELP() {
  SW_MESSAGE(COL[HELP_RAMKA], COL[HELP_HEADER], COL[HELP_BODY], " Справка "_w,
             "Управление просмотрщиком HEX-дампов:\n"
             "F1 - этот текст;\n"
             "F3 - выход;\n"
             "Enter - дизассемблирование;\n"
             "Стрелки, Home, End и PgUp/PgDn - листание.\n"
             "В режиме редактирования также есть:\n"
             "Insert - выделить фрагмент;\n"
             "F5 - скопировать фрагмент."_w);
}

}  // namespace crt_hexedit

bool hex_edit(std::uint8_t* BUF, std::int32_t SIZE, std::int32_t OFFS, bool READONLY) {
  using namespace crt_hexedit;
  bool changed = false;
  SELBEG = SELEND = NO_SELECTION;
  SELMODE = false;
  if (SIZE <= 0) {
    SW_MESSAGE(COL[WARN_RAMKA], COL[WARN_HEADER], COL[WARN_BODY], " Hex editor ", "Файл пуст"_w);
    return false;
  }
  EDITMODE = READONLY ? MDNONE : MDHEX;
  TEXTATTR = COL[EMPTY];
  crt_clear_screen();
  // Every block opens at its first byte: a place kept from another block would open a
  // shorter one at its end.
  TOP = OFFS & FF;
  CURSOR = OFFS;
  CURDIG = 0;
  const std::int32_t last = OFFS + SIZE - 1;
  while (true) {
    const std::int32_t scrsize = (crt_screen_height() - 1) * 16;
    bring_into_block(OFFS, last, scrsize);
    DRAWSCR(BUF, OFFS, OFFS + SIZE);
    place_cursor();
    const std::uint16_t key = MREADKEY();

    switch (key) {
      case KEYCODE_TAB:
        if (EDITMODE != MDNONE) EDITMODE = EDITMODE == MDHEX ? MDTEXT : MDHEX;
        continue;
      case KEYCODE_ENTER:
        DA_DIZASMTOVIEWER(BUF, SIZE, OFFS);
        continue;
      case KEYCODE_ESCAPE:
      case HKEY_F3:
        crt_cursor_off();
        return changed && ARE_YOU_SURE();
      case HKEY_F1:
        crt_hexedit::HELP();
        TEXTATTR = COL[EMPTY];
        crt_clear_screen();
        continue;
      default:
        break;
    }

    if (EDITMODE == MDNONE) {
      switch (key) {
        case HKEY_HOME:
          TOP = OFFS & FF;
          break;
        case HKEY_UP:
          TOP -= 16;
          break;
        case HKEY_PPAGE:
          TOP -= scrsize;
          break;
        case HKEY_END:
        case HKEY_DC:
          TOP = (last - scrsize) & FF;
          break;
        case HKEY_DOWN:
          TOP += 16;
          break;
        case HKEY_NPAGE:
          TOP += scrsize;
          break;
        default:
          break;
      }
      continue;
    }

    switch (key) {
      case HKEY_F5:
        if (COPY_SEL_AREA(BUF, OFFS, SIZE)) changed = true;
        break;
      case HKEY_HOME:
        CURSOR = OFFS;
        break;
      case HKEY_UP:
        CURSOR -= 16;
        break;
      case HKEY_PPAGE:
        CURSOR -= scrsize;
        break;
      case HKEY_END:
      case HKEY_DC:
        CURSOR = last;
        break;
      case HKEY_DOWN:
        CURSOR += 16;
        break;
      case HKEY_NPAGE:
        CURSOR += scrsize;
        break;
      case HKEY_IC:
        SELMODE = !SELMODE;
        if (SELMODE) SELBEG = CURSOR;
        break;
      default:
        break;
    }
    // The cursor is in the block unless the key above moved it; a moving key is no
    // character, so nothing is stored outside the block.
    const bool on_block = CURSOR >= OFFS && CURSOR <= last;
    if (EDITMODE == MDTEXT) {
      if (on_block && TEXTENTER(BUF, CURSOR - OFFS, key)) changed = true;
      if (key == HKEY_LEFT) --CURSOR;
      if (key == HKEY_RIGHT) ++CURSOR;
    } else {
      if (on_block && HEXENTER(BUF, CURSOR - OFFS, key)) changed = true;
      if (key == HKEY_RIGHT) {
        CURDIG ^= 1;
        if (CURDIG == 0) ++CURSOR;
      }
      if (key == HKEY_LEFT) {
        CURDIG ^= 1;
        if (CURDIG == 1) --CURSOR;
      }
    }
    if (SELMODE) SELEND = CURSOR;
  }
}

void install_hex_editor() {
  set_hexdump_hook([](std::uint8_t* buf, std::int32_t size, std::int32_t offs, bool read_only) {
    return hex_edit(buf, size, offs, read_only);
  });
}

}  // namespace agat
