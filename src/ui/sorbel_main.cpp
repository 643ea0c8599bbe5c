// sorbel: a two-panel file manager for host directories and Agat disk images.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "platform/file_manager.h"
#include "platform/ncurses_console.h"
#include "platform/sdl_window.h"
#include "platform/terminal_picture.h"
#include "ui/crt_hexedit.h"
#include "ui/crt_viewer.h"
#include "ui/mywrite.h"
#include "ui/picture_screen.h"
#include "ui/sorbel.h"
#include "version/program_version.h"

int main(int argc, char** argv) {
  std::vector<std::string> params(argv + 1, argv + argc);
  if (agat::asks_for_version(params)) {
    std::puts(agat::version_line("sorbel").c_str());
    return 0;
  }
  // Pictures are saved in the directory the program was started in.
  std::error_code ec;
  std::string start_dir = std::filesystem::current_path(ec).string();
  start_dir = ec ? "" : start_dir + "/";
  {
    agat::NcursesConsole terminal;
    agat::set_console(&terminal);
    agat::install_text_viewer();
    agat::install_hex_editor();
    auto leave = [&terminal] { terminal.suspend(); };
    auto restore = [&terminal] { terminal.resume(); };
    agat::set_terminal_handover(leave, restore);

    // Pictures: in a window of their own where a display is there, else in the terminal;
    // a window that cannot be opened gives way to the terminal.
    agat::SdlPictureWindow window(agat::glyph_of);
    agat::TerminalPictureWindow in_terminal(leave, restore);
    std::vector<agat::PictureWindow*> windows = {&in_terminal};
    if (agat::preferred_picture_backend(std::getenv("SORBEL_PICTURES"), std::getenv("DISPLAY"),
                                        std::getenv("WAYLAND_DISPLAY")) ==
        agat::PictureBackend::sdl)
      windows.insert(windows.begin(), &window);
    agat::install_picture_windows(windows, start_dir);

    agat::run_sorbel(params);
    agat::install_picture_windows({}, "");
    agat::set_terminal_handover(nullptr, nullptr);
    agat::set_console(nullptr);
  }
  // The screen of the session is gone with curses mode; the word stays in the terminal.
  std::puts("FIN");
  return 0;
}
