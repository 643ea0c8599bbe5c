// The real terminal, through ncursesw: Windows-1251 text and the DOS frame characters
// shown as Unicode on a UTF-8 terminal, the 16 colours of the text-mode palette mapped
// onto the terminal's colours, and keys decoded from the terminal's own input bytes.
#pragma once

#include <memory>

#include "platform/console.h"

namespace agat {

class NcursesConsole : public Console {
 public:
  // Takes over the terminal; the destructor gives it back.
  NcursesConsole();
  ~NcursesConsole() override;
  NcursesConsole(const NcursesConsole&) = delete;
  NcursesConsole& operator=(const NcursesConsole&) = delete;

  int width() const override;
  int height() const override;
  void goto_xy(int x, int y) override;
  int where_x() const override { return x_; }
  int where_y() const override { return y_; }
  void write(std::string_view text, std::uint8_t attribute, bool oem) override;
  void clear_screen(std::uint8_t attribute) override;
  void clear_to_eol(std::uint8_t attribute) override;
  void show_cursor(bool visible) override;
  std::uint16_t read_key() override;

  // Leaves curses mode so that another program can use the terminal, and comes back.
  void suspend();
  void resume();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
  int x_ = 1, y_ = 1;
};

}  // namespace agat
