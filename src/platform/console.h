// The console the user interface draws on: a screen of character cells, each with a
// text attribute (foreground colour in the low four bits, background in the high four,
// the 16-colour text-mode palette), a cursor, and a keyboard. Two backends: a real
// terminal through ncurses, and an in-memory screen with a scripted keyboard for tests.
#pragma once

#include <cstdint>
#include <string_view>

namespace agat {

class Console {
 public:
  virtual ~Console() = default;

  // The size of the screen in character cells.
  virtual int width() const = 0;
  virtual int height() const = 0;

  // The cursor, 1-based. Text is written at the cursor and moves it right; output past
  // the right edge of the screen is cut off.
  virtual void goto_xy(int x, int y) = 0;
  virtual int where_x() const = 0;
  virtual int where_y() const = 0;

  // Writes text in the given attribute. Windows-1251 text normally; with `oem` the bytes
  // are codes of the DOS code page (the single-line frame characters).
  virtual void write(std::string_view text, std::uint8_t attribute, bool oem) = 0;

  // Fills the screen, or the rest of the cursor's row, with blanks in the attribute.
  virtual void clear_screen(std::uint8_t attribute) = 0;
  virtual void clear_to_eol(std::uint8_t attribute) = 0;

  virtual void show_cursor(bool visible) = 0;

  // Makes everything written so far visible, then waits for a key and returns its
  // 16-bit code (see crt_keys.h). A change of the screen size arrives as HKEY_RESIZE,
  // with width() and height() already giving the new size.
  virtual std::uint16_t read_key() = 0;
};

// The console of the running program.
Console& console();
void set_console(Console* console);

}  // namespace agat
