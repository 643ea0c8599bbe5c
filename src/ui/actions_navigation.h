// The actions that move the user around: enter what is under the cursor, sort, exchange
// the halves of the screen, show one place in both panels, start the host file manager,
// re-read, and leave the program.
#pragma once

#include <string>

#include "ui/interface_formats.h"

namespace agat {

// Set by AC_EXIT: the main loop ends.
extern bool MAIN_FIN;

// The last component of a host path ending in the separator ("/a/b/" gives "b"); the
// root and shorter strings give "".
std::string BASENAME(const std::string& S);
// Remembers the name of the place being left, so that the cursor stands on it afterwards.
void SETCURSHNAME(TPANEL& PN);

void AC_EXIT(PPANEL PAN_CUR, PPANEL PAN_OTH, std::int32_t ARG);
// Enters the directory, image or BTK sub-catalog under the cursor (".." goes up); an
// Agat file gets its information page instead.
void AC_ENTER(PPANEL PAN_CUR, PPANEL PAN_OTH, std::int32_t ARG);
void AC_SORT(PPANEL PAN_CUR, PPANEL PAN_OTH, std::int32_t ARG);
void AC_PAN_CHANGE(PPANEL PAN_CUR, PPANEL PAN_OTH, std::int32_t ARG);
void AC_SOME_PATH(PPANEL PAN_CUR, PPANEL PAN_OTH, std::int32_t ARG);
void AC_FILE_MAN(PPANEL PAN_CUR, PPANEL PAN_OTH, std::int32_t ARG);
void AC_RELOAD(PPANEL PAN_CUR, PPANEL PAN_OTH, std::int32_t ARG);

}  // namespace agat
