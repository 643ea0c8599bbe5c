// A stand-in for the file manager around one picture, for the test in a real terminal: a
// screen of text through curses, a key, an MGR picture (stripes of the 16 colours) through
// the graphics window in the terminal, then the same screen again until a key ends it.
#include <filesystem>

#include "content/graph_proc.h"
#include "core/host_names.h"
#include "platform/ncurses_console.h"
#include "platform/terminal_picture.h"
#include "ui/mywrite.h"
#include "ui/picture_screen.h"

int main() {
  using namespace agat;
  static TFILEBUF buf;
  TCATREC cr;
  cr.CATRECT = CRTAGATFILE, cr.EXT = 0x04, cr.SIZE = 4 + 8192;
  cr.AGATNAME = HOST2AGATFNAME("PROBE");
  buf[1] = 0x20, buf[3] = 0x20;  // 8192 bytes at $2000
  for (int i = 0; i < 8192; ++i) buf[4 + i] = static_cast<std::uint8_t>((i / 4 % 16) * 0x11);
  NcursesConsole terminal;
  set_console(&terminal);
  TerminalPictureWindow window([&] { terminal.suspend(); }, [&] { terminal.resume(); });
  install_picture_windows({&window}, std::filesystem::current_path().string() + "/");
  terminal.clear_screen(0x1F);
  terminal.goto_xy(3, 2);
  terminal.write("LEFT PANEL TEXT", 0x1E, false);
  terminal.goto_xy(40, 20);
  terminal.write("RIGHT PANEL TEXT", 0x1E, false);
  terminal.read_key();
  GP_VIEW(cr, buf, FFBINGRAF);
  terminal.read_key();
  install_picture_windows({}, "");
  set_console(nullptr);
  return 0;
}
