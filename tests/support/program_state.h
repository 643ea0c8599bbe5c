// The file manager's program-wide state set back to what a program holds as it starts, so
// that no test sees what an earlier one left behind. The screen fixtures (ConsoleTest,
// SessionTest) call it before and after every test; a test that wants a leftover state
// (a cursor far out, say) sets it after SetUp. The table of this state is in
// docs/DEVELOPING.md, "Program-wide state": a row added there belongs here too.
#pragma once

#include "content/graph_window.h"
#include "content/hexdump.h"
#include "content/text_viewer.h"
#include "platform/console.h"
#include "support/media.h"
#include "ui/actions_navigation.h"
#include "ui/crt_hexedit.h"
#include "ui/crt_immap_viewer.h"
#include "ui/crt_viewer.h"
#include "ui/immap_editor.h"
#include "ui/interface_formats.h"
#include "ui/mywrite.h"
#include "ui/panel.h"
#include "ui/panels.h"

namespace agat::testing {

inline void reset_program_state() {
  reset_core_state();
  // The hooks the programs install at start.
  set_text_view_hook(nullptr);
  set_hexdump_hook(nullptr);
  set_graph_window_hooks({});
  // The console and what is written to it.
  drop_output_cache();
  set_console(nullptr);
  TEXTATTR = 0x07;
  CONSOLEENCODINGENABLE = true;
  // The panels and the main loop.
  RIGHTSIDE = true;
  NEEDRELOAD = false;
  SWAPPANEL = false;
  MAIN_FIN = false;
  X_RANGE = 80;
  // The text viewer's settings, kept from one report to the next.
  crt_viewer::WRAPMODE = true;
  crt_viewer::SEARCHSTRING.clear();
  // The hex editor's place and mode, kept from one block to the next.
  crt_hexedit::EDITMODE = MDHEX;
  crt_hexedit::TOP = crt_hexedit::CURSOR = 0;
  crt_hexedit::CURDIG = 0;
  crt_hexedit::SELBEG = crt_hexedit::SELEND = crt_hexedit::NO_SELECTION;
  crt_hexedit::SELMODE = false;
  // The sector map's cursor and view.
  CURSTR = 17;
  CURSSC = 0;
  crt_immap_viewer::VIEWMODE = crt_immap_viewer::VMLINKS;
  crt_immap_viewer::TOPTRY = 0;
  crt_immap_viewer::PREVTOPTRY = -9999;
}

}  // namespace agat::testing
