// sorbel: a two-panel file manager for host directories and Agat disk images.
#include <cstdio>
#include <string>
#include <vector>

#include "platform/file_manager.h"
#include "platform/ncurses_console.h"
#include "ui/crt_hexedit.h"
#include "ui/crt_viewer.h"
#include "ui/mywrite.h"
#include "ui/sorbel.h"

int main(int argc, char** argv) {
  std::vector<std::string> params(argv + 1, argv + argc);
  {
    agat::NcursesConsole terminal;
    agat::set_console(&terminal);
    agat::install_text_viewer();
    agat::install_hex_editor();
    agat::set_terminal_handover([&terminal] { terminal.suspend(); },
                                [&terminal] { terminal.resume(); });
    agat::SORBEL(params);
    agat::set_terminal_handover(nullptr, nullptr);
    agat::set_console(nullptr);
  }
  // The screen of the session is gone with curses mode; the word stays in the terminal.
  std::puts("FIN");
  return 0;
}
