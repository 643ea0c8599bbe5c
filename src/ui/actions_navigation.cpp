#include "ui/actions_navigation.h"

#include "content/colours.h"
#include "content/info_page.h"
#include "core/change_dir.h"
#include "core/cp1251_literal.h"
#include "core/file_control_messages.h"
#include "core/host_paths.h"
#include "platform/file_manager.h"
#include "ui/subwindows.h"

namespace agat {

bool MAIN_FIN = false;

std::string BASENAME(const std::string& S) {
  if (S.size() < 2 || is_host_root(S)) return "";
  const std::string_view dir = std::string_view(S).substr(0, S.size() - 1);
  const std::size_t start = host_name_start(dir);
  if (start == 0 || !is_host_separator(dir[start - 1])) return "";
  return std::string(dir.substr(start));
}

void SETCURSHNAME(TPANEL& PN) {
  PN.CURSHNAME = PN.MD.MEDIAT == MDIMAGE ? PN.MD.IMAGENAME : BASENAME(PN.MD.HOSTPATH);
}

void AC_EXIT(PPANEL, PPANEL, std::int32_t) {
  MAIN_FIN = true;
}

void AC_ENTER(PPANEL PAN_CUR, PPANEL, std::int32_t) {
  TCAT& cat = PAN_CUR->MD.CAT;
  if (PAN_CUR->CURSOR < 0 || PAN_CUR->CURSOR >= cat.CATNUM) return;
  TCATREC& entry = cat.CATREC[PAN_CUR->CURSOR];
  if (entry.CATRECT == CRTAGATFILE) {  // not a place to enter: its information page
    CC_INFO(entry);
    return;
  }
  if (PAN_CUR->CURSOR == 0 && entry.HOSTNAME == "..") {
    SETCURSHNAME(*PAN_CUR);  // going up: the cursor will stand on the place just left
  } else {
    PAN_CUR->CURSHNAME = "..";
  }
  // An image that cannot record the change of catalog is looked into all the same: the
  // panel alone keeps the catalog it is in.
  if (entry.CATRECT == CRTBTKDIR && !catalog_change_can_be_saved(PAN_CUR->MD)) {
    enter_sub_catalog_in_memory(entry);
  } else {
    FC_CHDIR(entry);
  }
  // A place that was not entered leaves the cursor where it was.
  if (!FC_CRITICALERRORBUFFER.empty()) PAN_CUR->CURSHNAME.clear();
  NEEDRELOAD = true;
}

void AC_SORT(PPANEL PAN_CUR, PPANEL, std::int32_t) {
  TMEDIA& md = PAN_CUR->MD;
  if (PAN_CUR->CURSOR >= 0 && PAN_CUR->CURSOR < md.CAT.CATNUM) {
    const TCATREC& entry = md.CAT.CATREC[PAN_CUR->CURSOR];
    if (md.MEDIAT == MDIMAGE) {
      PAN_CUR->CURSANAME = entry.AGATNAME;
    } else {
      PAN_CUR->CURSHNAME = entry.HOSTNAME;
    }
  }
  md.CAT.SORTMODE = static_cast<TSORTMODE>((md.CAT.SORTMODE + 1) % 3);
  NEEDRELOAD = true;
}

void AC_PAN_CHANGE(PPANEL, PPANEL, std::int32_t) {
  SWAPPANEL = !SWAPPANEL;
}

void AC_SOME_PATH(PPANEL PAN_CUR, PPANEL PAN_OTH, std::int32_t) {
  *PAN_OTH = *PAN_CUR;
  NEEDRELOAD = true;
}

void AC_FILE_MAN(PPANEL PAN_CUR, PPANEL, std::int32_t) {
  // A key that seems to do nothing would leave the user guessing: say what is missing.
  if (!FILE_MANAGER(PAN_CUR->MD.HOSTPATH))
    SW_MESSAGE(COL[WARN_RAMKA], COL[WARN_HEADER], COL[WARN_BODY], " Файловый менеджер "_w,
               FILE_MANAGER_MISSING);
  NEEDRELOAD = true;
}

void AC_RELOAD(PPANEL, PPANEL, std::int32_t) {
  NEEDRELOAD = true;
}

}  // namespace agat
