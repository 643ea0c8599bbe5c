#include "core/file_rewrite.h"

#include <algorithm>
#include <vector>

#include "core/catalog_entry.h"
#include "core/chain_guard.h"
#include "core/cp1251_literal.h"
#include "core/file_control_messages.h"
#include "core/file_transfer.h"
#include "core/image_file.h"
#include "core/vtoc.h"
#include "core/vtoc_soundness.h"

namespace agat {

namespace {

// A message that names the file without its trailing blanks, so that it fits a box.
bool refuse(const TCATREC& cr, std::string_view why) {
  std::string name = A2L(std::string_view(reinterpret_cast<const char*>(cr.AGATNAME.data()), 30));
  name.erase(name.find_last_not_of(' ') + 1);
  report_critical(std::string("Запись файла "_w) + quoted(name) + ": " + std::string(why));
  return false;
}

// One data sector of a file and the offset of its bytes in the loaded file.
struct DataSector {
  std::uint8_t t, s;
  std::int32_t at;
};

// The data sectors of the image file CR in file order, as FC_LOAD reads them: a pair off
// the disk gives no bytes. False, with a critical message, for a T/S list that is off the
// disk, unreadable or met twice.
bool data_sectors(TMEDIA& md, const TCATREC& cr, std::vector<DataSector>& out) {
  const std::string_view prefix = "Запись файла: t/s список"_w;
  std::uint8_t tl = cr.TTSL, sl = cr.STSL;
  std::int32_t at = 0;
  ChainGuard guard;
  while (true) {
    if (DSKAREATEST(prefix, FC_CRITICALERRORBUFFER, tl, sl, md) != 0) return false;
    if (!guard.visit(tl, sl, prefix, FC_CRITICALERRORBUFFER)) return false;
    const TTSLSECTOR& list = as<TTSLSECTOR>(md.MASS[tl][sl]);
    for (const auto& pair : list.TSL) {
      if (pair[0] == 0) return true;
      if (!FC_IS_RANGEOK(md, pair[0], pair[1])) continue;
      out.push_back({pair[0], pair[1], at});
      at += 256;
    }
    if (list.TE == 0) return true;
    tl = list.TE;
    sl = list.SE;
  }
}

bool rewrite_in_image(TCATREC& cr, const TFILEBUF& buf) {
  TMEDIA& md = *cr.PMEDIA;
  const TCATREC33* entry = catalog_entry(md, cr.TCAT, cr.SCAT, cr.OCAT);
  if (entry == nullptr || entry->TF != cr.TTSL || entry->SF != cr.STSL ||
      !std::equal(cr.AGATNAME.begin(), cr.AGATNAME.end(), entry->N))
    return refuse(cr, "на месте файла в каталоге теперь другая запись; файл не изменён"_w);
  if ((entry->E & 0x80) != 0) return refuse(cr, "файл защищён от записи (*), он не изменён"_w);
  std::vector<DataSector> sectors;
  if (!data_sectors(md, cr, sectors)) return false;
  if (static_cast<std::int64_t>(sectors.size()) * 256 != cr.SIZE)
    return refuse(cr, "цепочка секторов файла изменилась после чтения; файл не изменён"_w);
  // Every sector is compared with what it held before any is written, so a sector that the
  // chain names twice is written only from the place that was edited.
  std::vector<DataSector> changed;
  for (const DataSector& d : sectors)
    if (!std::equal(md.MASS[d.t][d.s].begin(), md.MASS[d.t][d.s].end(), buf.begin() + d.at))
      changed.push_back(d);
  if (changed.empty()) return true;
  for (const DataSector& d : changed)
    std::copy_n(buf.begin() + d.at, 256, md.MASS[d.t][d.s].begin());
  FC_SAVEMEDIA(md, false);
  return FC_CRITICALERRORBUFFER.empty();
}

}  // namespace

bool may_rewrite_file(const TCATREC& CR) {
  if ((CR.EXT & 0x80) != 0) return refuse(CR, "файл защищён от записи (*), он не изменён"_w);
  if (CR.PMEDIA == nullptr || CR.PMEDIA->MEDIAT != MDIMAGE) return true;
  if (CR.TTSL == 0xFF)
    return refuse(CR, "файл удалён, и его секторы могли занять другие файлы; он не изменён"_w);
  return require_sound_vtoc(*CR.PMEDIA, "Запись файла"_w);
}

bool rewrite_file(TCATREC& CR, TFILEBUF& BUF) {
  if (CR.CATRECT != CRTAGATFILE || CR.PMEDIA == nullptr || !may_rewrite_file(CR)) return false;
  if (CR.PMEDIA->MEDIAT == MDIMAGE) return rewrite_in_image(CR, BUF);
  FC_SAVE(CR, BUF, *CR.PMEDIA, false);
  return FC_CRITICALERRORBUFFER.empty();
}

}  // namespace agat
