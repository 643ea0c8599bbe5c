// The file manager's main program: two panels on the start directory, the main loop,
// the re-reading of the panels and the help screen.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "ui/interface_formats.h"

namespace agat {

// Runs the file manager on the active console until the user leaves it. The first and
// second parameter name the entries of the start directory on which the cursors of the
// two panels are placed at the first reading. Writes "FIN" on the last row at the end.
void run_sorbel(const std::vector<std::string>& params);

// The two panels (large: each holds a whole disk), allocated once.
TPANEL& PN_R();
TPANEL& PN_L();

// Re-reads a panel's medium; a medium that shows nothing falls back to the host
// directory that holds it, and so on up to the root.
void RELOAD(TPANEL& PN);

// The key help of the panels.
void HELP();

}  // namespace agat
