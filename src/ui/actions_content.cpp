#include "ui/actions_content.h"

#include <algorithm>
#include <array>
#include <memory>
#include <optional>

#include "content/colours.h"
#include "content/file_compare.h"
#include "content/format_control.h"
#include "content/info_page.h"
#include "content/media_compare.h"
#include "core/cp1251_literal.h"
#include "core/file_transfer.h"
#include "ui/errors.h"
#include "ui/immap_editor.h"
#include "ui/subwindows.h"

namespace agat {

namespace {

// An Agat file that is not deleted: its first T/S list lies on a track of the disk.
bool is_live_file(const TCATREC& cr) {
  return cr.CATRECT == CRTAGATFILE && cr.TTSL <= MAXTRACK;
}

// Whether two entries hold the same file: equal sizes and bytes. Each is loaded from a
// copy of its entry, and a load that fails (reported at once) makes them unequal.
bool IS_EQU(const TCATREC& A, const TCATREC& B) {
  static const auto buffers = std::make_unique<std::array<TFILEBUF, 2>>();
  TCATREC a = A, b = B;
  FC_LOAD(a, (*buffers)[0]);
  if (ERROR_OCCURED()) return false;
  FC_LOAD(b, (*buffers)[1]);
  if (ERROR_OCCURED()) return false;
  return a.SIZE == b.SIZE &&
         std::equal((*buffers)[0].begin(), (*buffers)[0].begin() + a.SIZE, (*buffers)[1].begin());
}

}  // namespace

void AC_VIEW(PPANEL PAN_CUR, PPANEL, std::int32_t ARG) {
  TCATREC* cr = cursor_agat_file(*PAN_CUR);
  if (cr != nullptr && CC_VIEW(*cr, static_cast<TFILEFORMAT>(ARG)))
    SW_MESSAGE(COL[WARN_RAMKA], COL[WARN_HEADER], COL[WARN_BODY], " Просмотр "_w, "Файл  пуст"_w);
}

void AC_EDIT(PPANEL PAN_CUR, PPANEL, std::int32_t ARG) {
  TCATREC* cr = cursor_agat_file(*PAN_CUR);
  if (cr == nullptr) return;
  const std::optional<TFILEFORMAT> taken = CC_EDIT(*cr, static_cast<TFILEFORMAT>(ARG));
  if (taken && !is_editable_format(*taken)) {
    // Nothing was opened: the user learns why, and how to edit the bytes all the same.
    std::string why = std::string("Формат файла: "_w) + std::string(format_description(*taken));
    why += "\nHEX-редактор правит только двоичные файлы;\nбайты любого файла открывает Ctrl+E"_w;
    SW_MESSAGE(COL[WARN_RAMKA], COL[WARN_HEADER], COL[WARN_BODY], " Редактирование "_w, why);
  }
  NEEDRELOAD = true;
  PAN_CUR->CURSANAME = cr->AGATNAME;
}

void AC_INFO(PPANEL PAN_CUR, PPANEL, std::int32_t) {
  if (TCATREC* cr = cursor_entry(*PAN_CUR)) CC_INFO(*cr);
}

void AC_COMPARE_F(PPANEL PAN_CUR, PPANEL PAN_OTH, std::int32_t ARG) {
  TCATREC* cr1 = cursor_agat_file(*PAN_CUR);
  TCATREC* cr2 = cursor_agat_file(*PAN_OTH);
  if (cr1 == nullptr || cr2 == nullptr) return;
  CC_COMPARE(*cr1, *cr2, static_cast<TFILEFORMAT>(ARG));
}

void AC_COMPARE_MS(PPANEL PAN_CUR, PPANEL PAN_OTH, std::int32_t) {
  if (PAN_CUR->MD.MEDIAT != MDIMAGE || PAN_OTH->MD.MEDIAT != MDIMAGE) return;
  FC_CMPMEDIA(PAN_CUR->MD, PAN_OTH->MD);
}

void AC_COMPARE_MF(PPANEL PAN_CUR, PPANEL PAN_OTH, std::int32_t) {
  TCAT& cur = PAN_CUR->MD.CAT;
  TCAT& oth = PAN_OTH->MD.CAT;
  for (TCAT* cat : {&cur, &oth})
    for (std::int32_t i = 0; i < cat->CATNUM; ++i)
      cat->CATREC[i].SELECT = is_live_file(cat->CATREC[i]);
  // Every pair of namesakes is tried, so a file with an identical twin among several
  // namesakes is unmarked, and so is the twin.
  for (std::int32_t i = 0; i < cur.CATNUM; ++i) {
    TCATREC& a = cur.CATREC[i];
    if (!is_live_file(a)) continue;
    for (std::int32_t j = 0; j < oth.CATNUM; ++j) {
      TCATREC& b = oth.CATREC[j];
      if (is_live_file(b) && a.AGATNAME == b.AGATNAME && IS_EQU(a, b)) a.SELECT = b.SELECT = false;
    }
  }
}

void AC_IMMAP(PPANEL PAN_CUR, PPANEL, std::int32_t) {
  IMM_EDITOR(PAN_CUR->MD);
  NEEDRELOAD = true;
}

}  // namespace agat
