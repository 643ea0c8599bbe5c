#include "ui/mywrite.h"

#include <string>

#include "platform/console.h"

namespace agat {

std::uint8_t TEXTATTR = 0x07;
bool CONSOLEENCODINGENABLE = true;

namespace {
std::string cache;
}  // namespace

void MWRITE(std::int32_t N) {
  cache += std::to_string(N);
}
void MWRITE(char C) {
  cache += C;
}
void MWRITE(std::string_view S) {
  cache += S;
}

void MWRITE_NOCACHE(std::string_view S) {
  if (S.empty()) return;
  console().write(S, TEXTATTR, !CONSOLEENCODINGENABLE);
}

void MFLUSH() {
  MWRITE_NOCACHE(cache);
  cache.clear();
}

void MDROPCACHE() {
  cache.clear();
}

int MWHEREX() {
  return console().where_x() + static_cast<int>(cache.size());
}

std::uint16_t MREADKEY() {
  return console().read_key();
}

void GOTOXY(int x, int y) {
  console().goto_xy(x, y);
}
int WHEREX() {
  return console().where_x();
}
int WHEREY() {
  return console().where_y();
}
void CLRSCR() {
  console().clear_screen(TEXTATTR);
}
void CRT_CLREOL() {
  console().clear_to_eol(TEXTATTR);
}
void CURSOR_ON() {
  console().show_cursor(true);
}
void CURSOR_OFF() {
  console().show_cursor(false);
}
int SCREEN_WIDTH() {
  return console().width();
}
int SCREEN_HEIGHT() {
  return console().height();
}

}  // namespace agat
