#include "ui/actions_transfer.h"

#include "content/colours.h"
#include "content/export_import.h"
#include "core/cp1251.h"
#include "core/cp1251_literal.h"
#include "core/host_names.h"
#include "core/host_paths.h"
#include "ui/actions_files.h"
#include "ui/dialogs.h"
#include "ui/errors.h"
#include "ui/mini_menu.h"

namespace agat {

namespace {

// The host side of a transfer: a name without a directory part lies in the other panel's
// host directory, the one the user sees beside the file; when the other panel shows an
// image, in the directory the program was started in.
std::string host_path(const TPANEL& oth, const std::string& name) {
  if (is_absolute_host_path(name) || oth.MD.MEDIAT != MDHOSTFS) return name;
  return oth.MD.HOSTPATH + name;
}

// The host name an exported file is proposed: its Agat name converted. A deleted entry's
// last character is the track that deletion kept there, no part of the name.
std::string export_name(const TCATREC& cr) {
  TAGATNAME name = cr.AGATNAME;
  if (cr.PMEDIA != nullptr && cr.PMEDIA->MEDIAT == MDIMAGE && cr.TTSL == 0xFF)
    name[29] = AGAT_SPACE;
  return AGAT2HOSTFNAME(name);
}

// Asks before an export replaces the host file PATH; "Нет" is the answer offered.
bool may_replace(const std::string& path) {
  constexpr std::size_t kShown = 40;  // the question stays narrower than the screen
  std::string name = host_to_cp1251(path.substr(host_name_start(path)));
  if (name.size() > kShown) name = name.substr(0, kShown - 3) + "...";
  std::uint8_t sel = 2;
  return MN_MINI(COL[MN_CLMD_RAMKA], COL[MN_CLMD_HEADER], COL[MN_CLMD_BODY], COL[MN_CLMD_MENU],
                 " Подтвердите "_w,
                 std::string("Файл \""_w) + name + std::string("\" уже есть. Заменить ?"_w),
                 "| Да | Нет "_w, sel) &&
         sel == 1;
}

void INT_EXPORT(TPANEL& cur, const TPANEL& oth, TFILEFORMAT fmt, bool submode) {
  TCAT& cat = cur.MD.CAT;
  if (ISSELECT(cat)) {
    for (std::int32_t i = 0; i < cat.CATNUM; ++i) {
      TCATREC& e = cat.CATREC[i];
      if (!e.SELECT || e.CATRECT != CRTAGATFILE) continue;
      // A host file of the name is kept: the export gets a numbered name beside it.
      CC_EXPORT(e, host_path(oth, export_name(e)), fmt, submode);
      ERROR_OCCURED();
      e.SELECT = false;
    }
    return;
  }
  TCATREC* cr = cursor_agat_file(cur);
  if (cr == nullptr) return;
  std::string name = host_to_cp1251(export_name(*cr));
  if (!DL_ENTERHOSTFILENAME(" Укажите имя файла, в который будет выполнен экспорт "_w, name) ||
      name.empty())
    return;
  CC_EXPORT(*cr, host_path(oth, cp1251_to_host(name)), fmt, submode, may_replace);
}

void INT_IMPORT(TPANEL& cur, const TPANEL& oth, TFILEFORMAT fmt, bool submode) {
  std::string typed;
  if (!DL_ENTERHOSTFILENAME(" Введите имя импортируемого файла "_w, typed) || typed.empty()) return;
  const std::string path = host_path(oth, cp1251_to_host(typed));
  // The new file is named after the host file itself, not after the directories before it.
  const std::string base = path.substr(host_name_start(path));
  TCATREC entry;
  entry.CATRECT = CRTAGATFILE;
  entry.PMEDIA = &cur.MD;
  entry.AGATNAME = HOST2AGATFNAME(base);
  entry.HOSTNAME = base + std::string(FC_FIL_EXT);
  CC_IMPORT(path, entry, fmt, submode);
  // In a host directory the ".FIL" file may have got a unique name: the cursor goes by it.
  if (cur.MD.MEDIAT == MDHOSTFS) {
    cur.CURSHNAME = entry.HOSTNAME;
  } else {
    cur.CURSANAME = entry.AGATNAME;
  }
  NEEDRELOAD = true;
}

}  // namespace

void AC_EXPORT_F(PPANEL PAN_CUR, PPANEL PAN_OTH, std::int32_t ARG) {
  INT_EXPORT(*PAN_CUR, *PAN_OTH, static_cast<TFILEFORMAT>(ARG), false);
}
void AC_EXPORT_T(PPANEL PAN_CUR, PPANEL PAN_OTH, std::int32_t ARG) {
  INT_EXPORT(*PAN_CUR, *PAN_OTH, static_cast<TFILEFORMAT>(ARG), true);
}
void AC_IMPORT_F(PPANEL PAN_CUR, PPANEL PAN_OTH, std::int32_t ARG) {
  INT_IMPORT(*PAN_CUR, *PAN_OTH, static_cast<TFILEFORMAT>(ARG), false);
}
void AC_IMPORT_T(PPANEL PAN_CUR, PPANEL PAN_OTH, std::int32_t ARG) {
  INT_IMPORT(*PAN_CUR, *PAN_OTH, static_cast<TFILEFORMAT>(ARG), true);
}

}  // namespace agat
