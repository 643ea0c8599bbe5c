#include "ui/actions_files.h"

#include <algorithm>
#include <array>
#include <memory>

#include "content/colours.h"
#include "core/catalog_ops.h"
#include "core/char_sets.h"
#include "core/cp1251.h"
#include "core/cp1251_literal.h"
#include "core/file_control_messages.h"
#include "core/file_transfer.h"
#include "core/host_fs.h"
#include "core/host_name_edit.h"
#include "core/host_names.h"
#include "core/image_file.h"
#include "core/media_lifecycle.h"
#include "core/volume_name.h"
#include "core/vtoc_soundness.h"
#include "ui/dialogs.h"
#include "ui/errors.h"
#include "ui/mini_menu.h"

namespace agat {

namespace {

// The type bytes offered by the rename action, for the letters T I A B S П К Д.
constexpr std::array<std::uint8_t, 8> AT = {0x00, 0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40};

TFILEBUF& file_buffer() {
  static const auto buffer = std::make_unique<TFILEBUF>();
  return *buffer;
}

// Copying onto the very catalog the file comes from would save the copy over its own
// source, and a move would then delete it: such a copy or move is refused. Both panels
// on one image file always show the same catalog, for the current catalog is kept in
// the image's VTOC. A ".FIL" file copied into its own directory gets a unique name, so
// only moving it there is refused.
bool same_place(const TMEDIA& from, const TMEDIA& to, bool move) {
  if (from.MEDIAT != to.MEDIAT) return false;
  if (from.MEDIAT == MDIMAGE)
    return same_host_object(from.HOSTPATH + from.IMAGENAME, to.HOSTPATH + to.IMAGENAME);
  return move && same_host_object(from.HOSTPATH, to.HOSTPATH);
}

bool yes_no(std::string_view question) {
  std::uint8_t sel = 1;
  return MN_MINI(COL[MN_CLMD_RAMKA], COL[MN_CLMD_HEADER], COL[MN_CLMD_BODY], COL[MN_CLMD_MENU],
                 " Подтвердите "_w, question, "| Да | Нет "_w, sel) &&
         sel == 1;
}

// Copies or moves one entry; true when the batch must stop.
bool COPYMOVE(TCATREC& cr, TPANEL& target, bool move) {
  if (cr.CATRECT != CRTAGATFILE) return false;
  TFILEBUF& buf = file_buffer();
  FC_LOAD(cr, buf);
  if (ERROR_OCCURED()) return false;  // this file is skipped; the batch goes on
  if (target.MD.MEDIAT == MDIMAGE) {
    FC_SAVE(cr, buf, target.MD, true);
    // A locked namesake refuses this file alone, and changes nothing: the batch goes on.
    if (ERROR_OCCURED()) return !has_locked_namesake(target.MD, cr.AGATNAME);
    if (move) FC_DELETE(cr);
    return ERROR_OCCURED();
  }
  TCATREC copy = cr;
  copy.HOSTNAME = AGAT2HOSTFNAME(cr.AGATNAME) + std::string(FC_FIL_EXT);
  FC_SAVE(copy, buf, target.MD, true);
  if (!ERROR_OCCURED() && move) FC_DELETE(cr);
  ERROR_OCCURED();
  return false;  // into a host directory the batch never stops
}

// A host name from text typed in Windows-1251.
std::string host_name_of(const std::string& edited) {
  return cp1251_to_host(edited);
}

}  // namespace

bool ISSELECT(const TCAT& CAT) {
  for (std::int32_t i = 0; i < CAT.CATNUM; ++i)
    if (CAT.CATREC[i].SELECT) return true;
  return false;
}

void AC_COPYMOVE(PPANEL PAN_CUR, PPANEL PAN_OTH, std::int32_t ARG) {
  const bool move = ARG == 1;
  NEEDRELOAD = true;
  if (same_place(PAN_CUR->MD, PAN_OTH->MD, move)) {
    report_critical(move
                        ? "Перемещение: файл нельзя переместить в тот же каталог, где он лежит"_w
                        : "Копирование: файл нельзя скопировать в тот же каталог того же образа"_w);
    return;
  }
  TCAT& cat = PAN_CUR->MD.CAT;
  if (ISSELECT(cat)) {
    for (std::int32_t i = 0; i < cat.CATNUM; ++i)
      if (cat.CATREC[i].SELECT && COPYMOVE(cat.CATREC[i], *PAN_OTH, move)) break;
  } else if (TCATREC* cr = cursor_entry(*PAN_CUR); cr != nullptr && cr->CATRECT == CRTAGATFILE) {
    COPYMOVE(*cr, *PAN_OTH, move);
  }
}

void AC_RELOCK(PPANEL PAN_CUR, PPANEL, std::int32_t ARG) {
  const auto mode = static_cast<std::int8_t>(ARG);
  TCAT& cat = PAN_CUR->MD.CAT;
  if (ISSELECT(cat)) {
    for (std::int32_t i = 0; i < cat.CATNUM; ++i) {
      TCATREC& e = cat.CATREC[i];
      if (!e.SELECT || e.CATRECT != CRTAGATFILE) continue;
      FC_RELOCK(e, mode);
      if (ERROR_OCCURED()) break;
    }
  } else if (TCATREC* cr = cursor_entry(*PAN_CUR); cr != nullptr && cr->CATRECT == CRTAGATFILE) {
    FC_RELOCK(*cr, mode);
  }
  NEEDRELOAD = true;
}

void AC_RENAME(PPANEL PAN_CUR, PPANEL, std::int32_t) {
  TCATREC* cr = cursor_entry(*PAN_CUR);
  if (cr == nullptr) return;
  TCATREC new_cr = *cr;
  if (cr->CATRECT == CRTAGATFILE) {
    int bits = 0;
    for (std::uint8_t v = cr->EXT & 0x7F; v != 0; v >>= 1) ++bits;
    std::uint8_t sel = static_cast<std::uint8_t>(std::min(bits + 1, 8));
    if (!MN_MINI(COL[MN_FTYP_RAMKA], COL[MN_FTYP_HEADER], COL[MN_FTYP_BODY], COL[MN_FTYP_MENU],
                 " Переименование и смена типа "_w, "Выберите новый тип файла"_w,
                 "| T | I | A | B | S | П | К | Д "_w, sel))
      return;
    new_cr.EXT = static_cast<std::uint8_t>((cr->EXT & 0x80) | AT[std::clamp<int>(sel, 1, 8) - 1]);
  }
  switch (cr->CATRECT) {
    case CRTHOSTFSDIR:
    case CRTDISKIMAGE: {
      // The name is edited as Windows-1251 text; the characters left alone keep their host
      // bytes, so a name without a Windows-1251 form is not changed behind the user's back.
      const EditableHostName proposed = editable_host_name(cr->HOSTNAME);
      std::string name = proposed.text;
      std::vector<std::int32_t> origin;
      const std::string_view title = cr->CATRECT == CRTHOSTFSDIR
                                         ? " Введите новое имя Host-каталога "_w
                                         : " Введите новое имя образа "_w;
      if (!DL_ENTERHOSTFILENAME(title, name, &origin)) break;
      if (!host_name_of_edit(proposed, name, origin, new_cr.HOSTNAME)) {
        report_critical(std::string("Переименование: \""_w) + name +
                        std::string("\" не может быть именем файла или каталога"_w));
        break;
      }
      FC_RENAME(*cr, new_cr);
      PAN_CUR->CURSHNAME = new_cr.HOSTNAME;
      break;
    }
    case CRTBTKDIR:
    case CRTAGATFILE: {
      const std::string_view title = cr->CATRECT == CRTBTKDIR ? " Введите новое имя BTK-каталога "_w
                                                              : " Введите новое имя файла "_w;
      if (DL_ENTERAGATFILENAME(title, new_cr.AGATNAME)) FC_RENAME(*cr, new_cr);
      PAN_CUR->CURSANAME = new_cr.AGATNAME;
      break;
    }
  }
  NEEDRELOAD = true;
}

void AC_MAKEDIR(PPANEL PAN_CUR, PPANEL, std::int32_t) {
  TMEDIA& md = PAN_CUR->MD;
  if (md.MEDIAT == MDIMAGE) {
    TAGATNAME name;
    name.fill(AGAT_SPACE);
    if (DL_ENTERAGATFILENAME(" Введите имя нового BTK-каталога "_w, name)) {
      FC_MAKEDIR(md, name);
      PAN_CUR->CURSANAME = name;
    }
  } else {
    std::string name;
    if (DL_ENTERHOSTFILENAME(" Введите имя нового HostFS-каталога "_w, name)) {
      FC_MAKEDIR(md, host_name_of(name));
      PAN_CUR->CURSHNAME = host_name_of(name);
    }
  }
  NEEDRELOAD = true;
}

void AC_DELETE(PPANEL PAN_CUR, PPANEL, std::int32_t) {
  // Deleted Agat files can be brought back; host files cannot.
  if (PAN_CUR->MD.MEDIAT == MDHOSTFS && !yes_no("Удаление файлов необратимо. Выполнить ?"_w))
    return;
  TCAT& cat = PAN_CUR->MD.CAT;
  if (ISSELECT(cat)) {
    for (std::int32_t i = 0; i < cat.CATNUM; ++i) {
      TCATREC& e = cat.CATREC[i];
      if (!e.SELECT) continue;
      FC_DELETE(e);
      ERROR_OCCURED();
      e.SELECT = false;
    }
  } else if (TCATREC* cr = cursor_entry(*PAN_CUR)) {
    FC_DELETE(*cr);
  }
  NEEDRELOAD = true;
}

void AC_UNDELETE(PPANEL PAN_CUR, PPANEL, std::int32_t) {
  TCAT& cat = PAN_CUR->MD.CAT;
  if (ISSELECT(cat)) {
    for (std::int32_t i = 0; i < cat.CATNUM; ++i) {
      TCATREC& e = cat.CATREC[i];
      if (!e.SELECT) continue;
      FC_UNDELETE(e);
      if (ERROR_OCCURED()) break;
      e.SELECT = false;
    }
  } else if (TCATREC* cr = cursor_entry(*PAN_CUR)) {
    FC_UNDELETE(*cr);
  }
  NEEDRELOAD = true;
}

void AC_CLEANMEDIA(PPANEL PAN_CUR, PPANEL, std::int32_t) {
  if (PAN_CUR->MD.MEDIAT != MDIMAGE) return;
  if (!yes_no("Очистка образа небезопасна в случае ошибок в файловой системе. Выполнить ?"_w))
    return;
  FC_CLEANMEDIA(PAN_CUR->MD);
  NEEDRELOAD = true;
}

void AC_CREATEMEDIA(PPANEL PAN_CUR, PPANEL, std::int32_t ARG) {
  if (PAN_CUR->MD.MEDIAT != MDHOSTFS) return;
  const auto type = static_cast<TIMAGET>(ARG);
  if (ARG < 0 || ARG >= IMAGE_TYPE_COUNT || !IMAGEDESC[type].creatable) return;
  auto md = std::make_unique<TMEDIA>();
  md->MEDIAT = MDIMAGE;
  md->HOSTPATH = PAN_CUR->MD.HOSTPATH;
  md->IMAGET = type;
  // An image after an emulator's header gets the header with an empty description.
  std::string name(IMAGEDESC[type].extension);
  if (!DL_ENTERHOSTFILENAME(" Введите имя нового образа "_w, name)) return;
  md->IMAGENAME = host_name_of(name);
  FC_INITMEDIA(*md);
  NEEDRELOAD = true;
  PAN_CUR->CURSHNAME = md->IMAGENAME;
}

void AC_REVOLUME(PPANEL PAN_CUR, PPANEL, std::int32_t) {
  TMEDIA& md = PAN_CUR->MD;
  // An unreadable VTOC has no name to change, and writing one would make it look sound.
  if (md.MEDIAT != MDIMAGE || !require_sound_vtoc(md, "Изменение имени тома"_w)) return;
  TVTOCSECTOR& vt = as<TVTOCSECTOR>(md.MASS[17][0]);
  std::string name;
  for (char b : volume_name(vt)) {
    const auto c = static_cast<std::uint8_t>(A2L(b));
    if ((c >= 32 && c <= 127) || c >= 192) name += static_cast<char>(c);
  }
  // Blanks that padded the old name would push what is typed at its end past the limit.
  while (!name.empty() && name.back() == ' ') name.pop_back();
  if (!DL_ENTERHOSTFILENAME(" Введите новое имя тома "_w, name)) return;
  set_volume_name(vt, L2A(name));
  FC_SAVEMEDIA(md, false);
  NEEDRELOAD = true;
}

}  // namespace agat
