// sorbel on Windows: a two-panel file manager for host directories and Agat disk images,
// on the Windows console, with pictures in a window of the desktop.
#include <cstdio>
#include <string>
#include <vector>

#include "core/host_arguments.h"
#include "core/host_paths.h"
#include "platform/gdi_window.h"
#include "platform/win32_console.h"
#include "ui/crt_hexedit.h"
#include "ui/crt_viewer.h"
#include "ui/picture_screen.h"
#include "ui/sorbel.h"
#include "version/program_version.h"

int main(int argc, char** argv) {
  const std::vector<std::string> params = agat::program_arguments(argc, argv);
  if (agat::asks_for_version(params)) {
    std::puts(agat::version_line("sorbel").c_str());
    return 0;
  }
  // Pictures are saved in the directory the program was started in.
  const std::string start_dir = agat::host_current_directory();
  {
    agat::Win32Console console;
    agat::set_console(&console);
    agat::install_text_viewer();
    agat::install_hex_editor();
    agat::GdiPictureWindow window;
    agat::install_picture_windows({&window}, start_dir);

    agat::run_sorbel(params);
    agat::install_picture_windows({}, "");
    agat::set_console(nullptr);
  }
  // The screen of the session is gone with its screen buffer; the word stays in the console.
  std::puts("FIN");
  return 0;
}
