// The Windows console, through its wide calls: the screen kept as cells of Unicode
// characters (Windows-1251 text and the DOS frame characters converted by the program's
// own tables, whatever code pages the console is set to) and the attribute bytes, which
// are the console's own; keys read as input records and mapped onto the 16-bit codes;
// a change of the window's size delivered as HKEY_RESIZE. The program draws on a screen
// buffer of its own, so the console shows what it held before once the program ends.
#pragma once

#include <cstdint>
#include <deque>
#include <vector>

#include "platform/console.h"

// The key record of the console input, as <windows.h> declares it.
struct _KEY_EVENT_RECORD;

namespace agat {

class Win32Console : public Console {
 public:
  // Takes over the console; the destructor gives it back.
  Win32Console();
  ~Win32Console() override;
  Win32Console(const Win32Console&) = delete;
  Win32Console& operator=(const Win32Console&) = delete;

  int width() const override { return width_; }
  int height() const override { return height_; }
  void goto_xy(int x, int y) override;
  int where_x() const override { return x_; }
  int where_y() const override { return y_; }
  void write(std::string_view text, std::uint8_t attribute, bool oem) override;
  void clear_screen(std::uint8_t attribute) override;
  void clear_to_eol(std::uint8_t attribute) override;
  void show_cursor(bool visible) override;
  std::uint16_t read_key() override;

  // The 16-bit code of a key pressed: VIRTUAL_KEY is its Windows virtual-key code,
  // CHARACTER the Unicode character it types (0 for none). 0 for a key that has no code
  // (a modifier alone, a character Windows-1251 lacks).
  static std::uint16_t key_code(unsigned virtual_key, char16_t character);
  // The keys one key record of the console input gives: none for a key released or a key
  // without a code, otherwise its code as many times as the record repeats it.
  static std::vector<std::uint16_t> keys_of(const _KEY_EVENT_RECORD& record);

 private:
  struct Cell {
    char16_t ch;
    std::uint8_t attribute;
  };
  void fit_window();
  void put(int x, int y, char16_t ch, std::uint8_t attribute);
  void show();

  void* input_ = nullptr;     // the console's input handle
  void* output_ = nullptr;    // the program's own screen buffer
  void* previous_ = nullptr;  // the screen buffer that was active before
  unsigned long input_mode_ = 0;
  int width_ = 80, height_ = 25;
  int x_ = 1, y_ = 1;
  bool cursor_visible_ = true;
  std::vector<Cell> cells_;
  bool dirty_ = true;
  std::deque<std::uint16_t> pending_;  // keys of a record that repeats its key
};

}  // namespace agat
