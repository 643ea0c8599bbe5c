// The graphics window in the terminal itself, for sessions without a graphical display
// (a console, SSH): the program's screen is left, the picture drawn through libchafa in
// the best way the terminal has (kitty, sixel or iTerm graphics, or coloured Unicode
// blocks), the comment and the key hints on the two lines below it; the keys are read from
// the terminal, and on close the program's screen is given back as it was.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/key_decoder.h"
#include "platform/picture_window.h"

namespace agat {

struct TerminalSize {
  int columns = 80, rows = 24;
  int cell_w = 0, cell_h = 0;  // pixels of a character cell; 0 when the terminal does not say
};

class TerminalPictureWindow : public PictureWindow {
 public:
  // Where the window meets its terminal.
  struct Terminal {
    ByteSource* keys = nullptr;                   // the keyboard
    std::function<void(std::string_view)> write;  // the output
    std::function<TerminalSize()> size;           // the size now
    std::vector<std::string> environment;         // tells what kind of terminal it is
  };

  // The process's terminal (standard input and output, the environment). LEAVE runs before
  // the first picture, to take the program's screen away; RESTORE after the last one.
  TerminalPictureWindow(std::function<void()> leave, std::function<void()> restore);
  TerminalPictureWindow(Terminal terminal, std::function<void()> leave,
                        std::function<void()> restore);
  ~TerminalPictureWindow() override;

  bool open() override;
  PictureKey show(const PictureShow& show) override;
  void close() override;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace agat
