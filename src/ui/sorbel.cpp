#include "ui/sorbel.h"

#include <algorithm>

#include "content/colours.h"
#include "core/catalog_read.h"
#include "core/catalog_sort.h"
#include "core/change_dir.h"
#include "core/cp1251_literal.h"
#include "core/file_control_messages.h"
#include "core/media_lifecycle.h"
#include "core/vtoc_soundness.h"
#include "platform/crt_keys.h"
#include "ui/actions_navigation.h"
#include "ui/errors.h"
#include "ui/global_keys.h"
#include "ui/main_menu.h"
#include "ui/mywrite.h"
#include "ui/panels.h"
#include "ui/subwindows.h"

namespace agat {

namespace {

std::unique_ptr<TPANEL> right_panel, left_panel;

void forget_cursor_entry(TPANEL& pn) {
  pn.CURSANAME[0] = '-';
  pn.CURSHNAME.clear();
}

// Everything a run changes starts as it does when the program starts.
void start_session(const std::vector<std::string>& params) {
  if (!right_panel) right_panel = std::make_unique<TPANEL>();
  if (!left_panel) left_panel = std::make_unique<TPANEL>();
  for (TPANEL* pn : {right_panel.get(), left_panel.get()}) {
    pn->MD.CAT.SORTMODE = SMNO;
    pn->TOP = pn->CURSOR = 0;
    pn->CURSANAME.fill(0);
    pn->CURSHNAME.clear();
    FC_NEWMEDIA(pn->MD);
  }
  right_panel->CURSHNAME = params.size() > 0 ? params[0] : "";
  left_panel->CURSHNAME = params.size() > 1 ? params[1] : "";
  RIGHTSIDE = true;
  SWAPPANEL = false;
  MAIN_FIN = false;
  NEEDRELOAD = true;
  FC_CRITICALERRORBUFFER.clear();
  FC_WARNINGBUFFER.clear();
}

// Backspace or Left: up into the place the ".." entry leads to.
void go_up(TPANEL& pn) {
  if (pn.MD.CAT.CATNUM < 1 || pn.MD.CAT.CATREC[0].HOSTNAME != "..") return;
  SETCURSHNAME(pn);
  FC_CHDIR(pn.MD.CAT.CATREC[0]);
  NEEDRELOAD = true;
}

// A VTOC of no DOS leads to no catalog: of what was read from it only ".." stays, and the
// panel says once, where the entries would be, that there is none (PN_MAIN). The sector
// map still works on the image. The slots given back are reset, as the catalog reader
// expects of every slot past the catalog. What the read of that garbage reported, past the
// given lengths of the message buffers, is dropped.
void keep_only_the_way_out(TMEDIA& md, std::size_t critical, std::size_t warnings) {
  if (md.MEDIAT != MDIMAGE || md.VTOCINVALID || vtoc_is_sound(md)) return;
  for (std::int32_t i = 1; i < md.CAT.CATNUM; ++i) md.CAT.CATREC[i] = TCATREC{};
  md.CAT.CATNUM = std::min(md.CAT.CATNUM, 1);
  FC_CRITICALERRORBUFFER.resize(std::min(critical, FC_CRITICALERRORBUFFER.size()));
  FC_WARNINGBUFFER.resize(std::min(warnings, FC_WARNINGBUFFER.size()));
}

void exit_screen() {
  crt_goto_xy(1, crt_screen_height());
  crt_cursor_on();
  TEXTATTR = 0x07;
  crt_clear_line_end();
  MWRITE_NOCACHE("FIN");
}

}  // namespace

TPANEL& PN_R() {
  return *right_panel;
}
TPANEL& PN_L() {
  return *left_panel;
}

void RELOAD(TPANEL& PN) {
  TMEDIA& md = PN.MD;
  while (true) {
    const std::size_t critical = FC_CRITICALERRORBUFFER.size();
    const std::size_t warnings = FC_WARNINGBUFFER.size();
    FC_READCAT(md);
    keep_only_the_way_out(md, critical, warnings);
    if (md.CAT.CATNUM >= 1) break;
    // Nothing to show: fall back to the host directory around, up to the root.
    forget_cursor_entry(PN);
    if (md.MEDIAT == MDIMAGE) {
      md.MEDIAT = MDHOSTFS;
    } else {
      const std::string parent = parent_host_path(md.HOSTPATH);
      if (parent == md.HOSTPATH) break;  // the root shows nothing: an empty panel
      md.HOSTPATH = parent;
    }
  }
  FC_SORTCAT(md);
  ERROR_OCCURED();
  for (std::int32_t i = 0; i < md.CAT.CATNUM; ++i) {
    const TCATREC& e = md.CAT.CATREC[i];
    if (e.AGATNAME == PN.CURSANAME || e.HOSTNAME == PN.CURSHNAME) {
      PN.CURSOR = i;
      forget_cursor_entry(PN);
      break;
    }
  }
  PN.TOP = std::max(PN.CURSOR - crt_screen_height() / 2, 0);
}

void HELP() {
  SW_MESSAGE(COL[HELP_RAMKA], COL[HELP_HEADER], COL[HELP_BODY], " Справка "_w,
             "dos33 Sorbel v2.0\n"
             "\n"
             "F1  - этот текст;\n"
             "Пробел, Insert, \"+\", \"=\", \"-\", \"*\" - установка/снятия отметок;\n"
             "Стрелки, Enter, PgUp, PgDn, Home, End - движение курсора;\n"
             "F9  - главное меню, где перечислены другие кнопки;\n"
             "F10 - выход из программы - это тоже вариант.\n"
             "\n"
             "Описание программы: README.md в её исходных текстах."_w);
}

void run_sorbel(const std::vector<std::string>& params) {
  start_session(params);
  TPANEL& pn_r = PN_R();
  TPANEL& pn_l = PN_L();
  PPANEL pn_cur = &pn_r, pn_oth = &pn_l;
  while (!MAIN_FIN) {
    if (NEEDRELOAD) {
      RELOAD(pn_r);
      RELOAD(pn_l);
      NEEDRELOAD = false;
    }
    const std::int32_t key = PM_DMAIN(pn_r, pn_l, pn_cur, pn_oth);
    T_ACTOR act = nullptr;
    std::int32_t arg = 0;
    switch (key) {
      case KEYCODE_BACKSPACE:
      case HKEY_LEFT:
        go_up(*pn_cur);
        break;
      case KEYCODE_ENTER:
      case HKEY_RIGHT:
        AC_ENTER(pn_cur, pn_oth, key);
        break;
      case HKEY_F1:
        HELP();
        break;
      case HKEY_F9:
        if (MN_MAXI(main_menu(), " Главное меню "_w, act, arg,
                    [&pn_r, &pn_l] { draw_panels(pn_r, pn_l); }))
          act(pn_cur, pn_oth, arg);
        break;
      default:
        if (GK_ISACTOR(static_cast<std::uint16_t>(key), act, arg)) act(pn_cur, pn_oth, arg);
        break;
    }
    ERROR_OCCURED();
  }
  exit_screen();
}

}  // namespace agat
