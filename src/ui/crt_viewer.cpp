#include "ui/crt_viewer.h"

#include <algorithm>
#include <filesystem>
#include <string_view>

#include "content/colours.h"
#include "content/text_viewer.h"
#include "core/cp1251.h"
#include "core/cp1251_literal.h"
#include "core/host_file_io.h"
#include "ui/crt_keys.h"
#include "ui/dialogs.h"
#include "ui/mywrite.h"
#include "ui/subwindows.h"

namespace agat {

namespace crt_viewer {

bool WRAPMODE = true;
std::string SEARCHSTRING;
std::vector<const char*> LINES_PTR;
std::int32_t ENDLINE = 0;
std::int32_t TOPX = 0;
std::int32_t TOPY = 0;

namespace {

// The start of line N, or null when the text has no such line.
const char* line_start(std::int32_t n) {
  if (n < 0 || n >= static_cast<std::int32_t>(LINES_PTR.size())) return nullptr;
  return LINES_PTR[static_cast<std::size_t>(n)];
}

bool is_printable(std::uint8_t c) {
  return (c >= 32 && c <= 127) || c >= 192;
}

// The characters of the text as a host text file: colour pairs and carriage returns
// dropped, line feeds kept, Windows-1251 turned into UTF-8.
std::string host_text(const char* p, std::uint32_t size) {
  std::string text;
  text.reserve(size);
  for (std::uint32_t i = 0; i < size; ++i) {
    if (p[i] == '\0')
      ++i;  // and its attribute byte
    else if (p[i] != '\r')
      text.push_back(p[i]);
  }
  return cp1251_to_utf8(text);
}

}  // namespace

void FINDLINES(const char* BUF, std::uint32_t SIZE) {
  const std::int32_t sw = SCREEN_WIDTH() - 1;
  LINES_PTR.clear();
  LINES_PTR.push_back(BUF);
  std::int32_t lw = 0;
  for (std::uint32_t i = 0; i < SIZE; ++i) {
    const char c = BUF[i];
    if (c == '\0') {
      ++i;  // the attribute byte takes no width either
    } else if (c == '\n') {
      LINES_PTR.push_back(BUF + i + 1);
      lw = 0;
    } else if (++lw > sw && WRAPMODE) {
      LINES_PTR.push_back(BUF + i);
      lw = 1;
    }
  }
  ENDLINE = static_cast<std::int32_t>(LINES_PTR.size()) - 1;
}

void DRAW(const char* FIN) {
  const std::int32_t sw = SCREEN_WIDTH() - 1;
  const std::int32_t height = SCREEN_HEIGHT();
  for (std::int32_t y = 1; y <= height; ++y) {
    const char* p = line_start(TOPY + y - 1);
    GOTOXY(1, y);
    if (p == nullptr) {
      TEXTATTR = COL[EMPTY];
      CRT_CLREOL();
      continue;
    }
    // Colour pairs are obeyed in the part scrolled off to the left too, so the visible
    // part starts in the right colour. A line that starts by wrapping has no pair of its
    // own and goes on in the colour the row above ended with.
    for (std::int32_t x = 1; x <= sw + TOPX && p < FIN && *p != '\n';) {
      if (*p == '\0') {
        MFLUSH();
        if (++p < FIN) TEXTATTR = static_cast<std::uint8_t>(*p++);
        continue;
      }
      if (x > TOPX) MWRITE(is_printable(static_cast<std::uint8_t>(*p)) ? *p : '?');
      ++x;
      ++p;
    }
    MFLUSH();
    CRT_CLREOL();
  }
}

void SAVE_TEXT(const char* P, std::uint32_t LEAVE) {
  std::string name = ".TXT";
  if (!DL_ENTERHOSTFILENAME(" Введите имя файла для сохранения текста "_w, name)) return;

  const std::string contents = host_text(P, LEAVE);
  const auto* data = reinterpret_cast<const std::uint8_t*>(contents.data());
  const std::string path = cp1251_to_host(name);
  // An existing file is replaced as a whole, so a failed write leaves it as it was; a
  // new one that cannot be written completely is removed again.
  std::error_code ec;
  const bool exists = std::filesystem::exists(std::filesystem::symlink_status(path, ec));
  const FileIoResult result =
      exists ? replace_file(path, data, contents.size()) : create_file(path, data, contents.size());
  if (result == FileIoResult::ok) return;
  const std::string message =
      result == FileIoResult::write_failed
          ? std::string("Ошибка записи в файл\n"_w) + name + std::string("\nТекст не сохранён."_w)
          : std::string("Не удалось создать файл\n"_w) + name;
  SW_MESSAGE(COL[WARN_RAMKA], COL[WARN_HEADER], COL[WARN_BODY], " Ошибка "_w, message);
}

void NEW_SEARCH(const char* FIN) {
  // The dialog edits a copy: Escape keeps the old search text.
  std::string text = SEARCHSTRING;
  if (!DL_ENTERHOSTFILENAME(" Введите искомую строку "_w, text)) return;
  SEARCHSTRING = text;
  NEXT_SEARCH(FIN);
}

void NEXT_SEARCH(const char* FIN) {
  // An empty search text matches nothing.
  if (!SEARCHSTRING.empty()) {
    for (std::int32_t n = TOPY + 1; n <= ENDLINE; ++n) {
      const char* from = line_start(n);
      const char* next = line_start(n + 1);
      // The first byte of the next line is taken in too (a text may end in a line feed,
      // and then the next line starts at the end).
      const char* to = next != nullptr && next < FIN ? next + 1 : FIN;
      if (from == nullptr || from >= to) continue;
      const std::string_view line(from, static_cast<std::size_t>(to - from));
      if (line.find(SEARCHSTRING) != std::string_view::npos) {
        TOPY = n;
        return;
      }
    }
  }
  SW_MESSAGE(COL[WARN_RAMKA], COL[WARN_HEADER], COL[WARN_BODY], " :( "_w, "Не найдено"_w);
}

void HELP() {
  SW_MESSAGE(COL[HELP_RAMKA], COL[HELP_HEADER], COL[HELP_BODY], " Справка "_w,
             "Управление просмотрщиком текстов:\n"
             "F1 - этот текст;\n"
             "F2 - сохраненить текст в файл;\n"
             "F3 - выход;\n"
             "F4 - Wrap/UnWrap;\n"
             "F7 - новый поиск;\n"
             "F8 - продолжить поиск;\n"
             "Стрелки, Home, End и PgUp/PgDn - листание."_w);
}

}  // namespace crt_viewer

void TEXTVIEW(const char* P, std::uint32_t S) {
  using namespace crt_viewer;
  const char* const fin = P + S;
  TOPX = 0;
  TOPY = 0;
  FINDLINES(P, S);
  while (true) {
    if (WRAPMODE) TOPX = 0;
    DRAW(fin);
    CURSOR_OFF();

    // Ordinary characters other than Enter and Escape do nothing; extended keys carry
    // their scan code in the high byte.
    std::uint16_t key = 0;
    do {
      key = MREADKEY();
      if (key == KEYCODE_ENTER || key == KEYCODE_ESCAPE) return;
    } while ((key & 0xFF) != 0 || key == 0);

    const std::int32_t page = SCREEN_HEIGHT() - 1;
    switch (key) {
      case HKEY_F1:
        crt_viewer::HELP();
        break;
      case HKEY_F2:
        SAVE_TEXT(P, S);
        break;
      case HKEY_F3:
        return;
      case HKEY_F4:
        WRAPMODE = !WRAPMODE;
        FINDLINES(P, S);
        break;
      case HKEY_F7:
        NEW_SEARCH(fin);
        break;
      case HKEY_F8:
        if (SEARCHSTRING.empty())
          NEW_SEARCH(fin);
        else
          NEXT_SEARCH(fin);
        break;
      case HKEY_HOME:
        TOPY = 0;
        break;
      case HKEY_UP:
        --TOPY;
        break;
      case HKEY_PPAGE:
        TOPY -= page;
        break;
      case HKEY_LEFT:
        if (TOPX > 0) --TOPX;
        break;
      case HKEY_RIGHT:
        ++TOPX;
        break;
      case HKEY_END:
      case HKEY_DC:
        // The last line on the second row from the bottom.
        TOPY = ENDLINE - SCREEN_HEIGHT() + 2;
        break;
      case HKEY_DOWN:
        ++TOPY;
        break;
      case HKEY_NPAGE:
        TOPY += page;
        break;
      case HKEY_RESIZE:
        FINDLINES(P, S);
        break;
      default:
        break;
    }
    TOPY = std::clamp(TOPY, 0, std::max(ENDLINE, 0));
  }
}

void install_text_viewer() {
  set_text_view_hook([](const char* text, std::uint32_t length) { TEXTVIEW(text, length); });
}

}  // namespace agat
