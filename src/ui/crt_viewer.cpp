#include "ui/crt_viewer.h"

#include <algorithm>
#include <string_view>

#include "content/colours.h"
#include "content/host_text.h"
#include "content/text_viewer.h"
#include "core/cp1251.h"
#include "core/cp1251_literal.h"
#include "core/host_errors.h"
#include "core/host_file_io.h"
#include "core/host_fs.h"
#include "platform/crt_keys.h"
#include "ui/dialogs.h"
#include "ui/mywrite.h"
#include "ui/subwindows.h"

namespace agat {

namespace crt_viewer {

bool WRAPMODE = true;
std::string SEARCHSTRING;
std::vector<ReportLine> LINES;
std::int32_t ENDLINE = 0;
std::int32_t TOPX = 0;
std::int32_t TOPY = 0;

namespace {

// The attribute the text's first line starts in: the one current when the viewer opened.
std::uint8_t first_attribute = 0;
// The text last given to FINDLINES.
std::string_view whole_text;

// Line N, or null when the text has no such line.
const ReportLine* line_at(std::int32_t n) {
  if (n < 0 || n >= static_cast<std::int32_t>(LINES.size())) return nullptr;
  return &LINES[static_cast<std::size_t>(n)];
}

// The characters of the text as a host text file: colour pairs dropped, the lines ending
// as the host's text files do, in the host's code page.
std::string host_text(const char* p, std::uint32_t size) {
  return host_text_lines(plain_text(std::string_view(p, size)));
}

}  // namespace

void FINDLINES(const char* TEXT, std::uint32_t SIZE) {
  const auto sw = static_cast<std::size_t>(std::max(crt_screen_width() - 1, 0));
  LINES.clear();
  whole_text = std::string_view(TEXT, SIZE);
  for (const ReportLine& line : report_lines(whole_text, first_attribute)) {
    if (!WRAPMODE) {
      LINES.push_back(line);
      continue;
    }
    for (const ReportLine& piece : wrap_line(line, sw)) LINES.push_back(piece);
  }
  ENDLINE = static_cast<std::int32_t>(LINES.size()) - 1;
}

void DRAW() {
  const std::int32_t sw = crt_screen_width() - 1;
  const std::int32_t height = crt_screen_height();
  for (std::int32_t y = 1; y <= height; ++y) {
    const ReportLine* line = line_at(TOPY + y - 1);
    crt_goto_xy(1, y);
    if (line == nullptr) {
      TEXTATTR = COL[EMPTY];
      crt_clear_line_end();
      continue;
    }
    // Colour pairs are obeyed in the part scrolled off to the left too, so the visible
    // part starts in the right colour; a line that starts by wrapping goes on in the
    // colour the row above ended with.
    std::int32_t x = 1;
    for_each_run(*line, [&](std::uint8_t attribute, std::string_view text) {
      MFLUSH();
      TEXTATTR = attribute;
      for (const char c : text) {
        if (x > sw + TOPX) return;
        if (x > TOPX) MWRITE(viewer_shows(static_cast<std::uint8_t>(c)) ? c : '?');
        ++x;
      }
    });
    MFLUSH();
    crt_clear_line_end();
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
  const bool exists = host_link_status(path).kind != HostKind::missing;
  int error = 0;
  const FileIoResult result = exists ? replace_file(path, data, contents.size(), &error)
                                     : create_file(path, data, contents.size(), &error);
  if (result == FileIoResult::ok) return;
  const std::string reason = "\n" + host_error_text(error);
  const std::string message =
      result == FileIoResult::write_failed || result == FileIoResult::folder_read_only
          ? std::string("Ошибка записи в файл\n"_w) + name + reason +
                std::string("\nТекст не сохранён."_w)
          : std::string("Не удалось создать файл\n"_w) + name + reason;
  SW_MESSAGE(COL[WARN_RAMKA], COL[WARN_HEADER], COL[WARN_BODY], " Ошибка "_w, message);
}

void NEW_SEARCH() {
  // The dialog edits a copy: Escape keeps the old search text.
  std::string text = SEARCHSTRING;
  if (!DL_ENTERHOSTFILENAME(" Введите искомую строку "_w, text)) return;
  SEARCHSTRING = text;
  NEXT_SEARCH();
}

void NEXT_SEARCH() {
  // An empty search text matches nothing.
  if (!SEARCHSTRING.empty()) {
    // Bytes are compared as stored, colour pairs included. The first byte of the next
    // line is taken in too (the line feed between them, or the first character of a
    // wrapped piece).
    const char* const fin = whole_text.data() + whole_text.size();
    for (std::int32_t n = TOPY + 1; n <= ENDLINE; ++n) {
      const ReportLine* line = line_at(n);
      const ReportLine* next = line_at(n + 1);
      if (line == nullptr) continue;
      const char* from = line->bytes.data();
      const char* to = next != nullptr ? std::min(next->bytes.data() + 1, fin) : fin;
      if (from >= to) continue;
      const std::string_view bytes(from, static_cast<std::size_t>(to - from));
      if (bytes.find(SEARCHSTRING) != std::string_view::npos) {
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
  first_attribute = TEXTATTR;
  TOPX = 0;
  TOPY = 0;
  FINDLINES(P, S);
  while (true) {
    if (WRAPMODE) TOPX = 0;
    DRAW();
    crt_cursor_off();

    // Ordinary characters other than Enter and Escape do nothing; extended keys carry
    // their scan code in the high byte.
    std::uint16_t key = 0;
    do {
      key = MREADKEY();
      if (key == KEYCODE_ENTER || key == KEYCODE_ESCAPE) return;
    } while ((key & 0xFF) != 0 || key == 0);

    const std::int32_t page = crt_screen_height() - 1;
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
        NEW_SEARCH();
        break;
      case HKEY_F8:
        if (SEARCHSTRING.empty())
          NEW_SEARCH();
        else
          NEXT_SEARCH();
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
        TOPY = ENDLINE - crt_screen_height() + 2;
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
  set_text_view_hook([](std::string_view text) {
    TEXTVIEW(text.data(), static_cast<std::uint32_t>(text.size()));
  });
}

}  // namespace agat
