// An in-memory console for tests: a grid of cells (character and attribute) and a
// scripted keyboard. A script step may also be a check to run when it is reached, so a
// test can look at the screen at any moment of a session.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/console.h"

namespace agat {

class MemoryConsole : public Console {
 public:
  struct Cell {
    char32_t ch = U' ';
    std::uint8_t attribute = 0x07;
  };
  // Thrown by read_key when the script has no key left, so a test never hangs.
  struct ScriptExhausted : std::runtime_error {
    ScriptExhausted() : std::runtime_error("the key script is exhausted") {}
  };

  MemoryConsole(int width, int height);

  int width() const override { return width_; }
  int height() const override { return height_; }
  void goto_xy(int x, int y) override;
  int where_x() const override { return x_; }
  int where_y() const override { return y_; }
  void write(std::string_view text, std::uint8_t attribute, bool oem) override;
  void clear_screen(std::uint8_t attribute) override;
  void clear_to_eol(std::uint8_t attribute) override;
  void show_cursor(bool visible) override { cursor_visible_ = visible; }
  std::uint16_t read_key() override;

  // The script.
  void keys(std::initializer_list<std::uint16_t> codes);
  void key(std::uint16_t code) { keys({code}); }
  void text(const std::string& utf8);  // each character typed as its Windows-1251 code
  void then(std::function<void(MemoryConsole&)> check);
  bool script_done() const { return script_.empty(); }
  // Changes the size; the program hears of it through the next key, HKEY_RESIZE.
  void resize(int width, int height);

  // The screen.
  const Cell& cell(int x, int y) const;  // 1-based
  std::uint8_t attribute_at(int x, int y) const { return cell(x, y).attribute; }
  std::string row(int y) const;  // UTF-8, trailing blanks kept
  std::string row_trimmed(int y) const;
  std::string screen_text() const;  // every row trimmed, joined by "\n"
  bool contains(const std::string& utf8) const;
  int find_row(const std::string& utf8) const;  // 0 when not on the screen
  bool cursor_visible() const { return cursor_visible_; }
  int keys_read() const { return keys_read_; }

 private:
  struct Step {
    std::uint16_t key = 0;
    std::function<void(MemoryConsole&)> check;
    bool resize = false;
    int width = 0, height = 0;
  };

  int width_, height_;
  int x_ = 1, y_ = 1;
  bool cursor_visible_ = true;
  int keys_read_ = 0;
  std::vector<Cell> cells_;
  std::deque<Step> script_;
};

}  // namespace agat
