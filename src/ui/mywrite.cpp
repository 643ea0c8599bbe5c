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

void drop_output_cache() {
  cache.clear();
}

int MWHEREX() {
  return console().where_x() + static_cast<int>(cache.size());
}

std::uint16_t MREADKEY() {
  return console().read_key();
}

void crt_goto_xy(int x, int y) {
  console().goto_xy(x, y);
}
int crt_where_x() {
  return console().where_x();
}
int crt_where_y() {
  return console().where_y();
}
void crt_clear_screen() {
  console().clear_screen(TEXTATTR);
}
void crt_clear_line_end() {
  console().clear_to_eol(TEXTATTR);
}
void crt_cursor_on() {
  console().show_cursor(true);
}
void crt_cursor_off() {
  console().show_cursor(false);
}
int crt_screen_width() {
  return console().width();
}
int crt_screen_height() {
  return console().height();
}

}  // namespace agat
