#include "core/file_rewrite.h"

#include <algorithm>
#include <vector>

#include "core/catalog_entry.h"
#include "core/cp1251_literal.h"
#include "core/file_chain.h"
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

// The data sectors of the image file CR in file order, each with the offset FC_LOAD gives
// its bytes (a hole or a pair off the disk comes with track 0: its zeros have no sector to
// be written to), and the loaded size. False, with a critical message, for a T/S list that is off
// the disk, unreadable or met twice.
bool data_sectors(TMEDIA& md, const TCATREC& cr, std::vector<DataSector>& out, std::int64_t& size) {
  FileChain chain;
  if (read_file_chain(md, cr.TTSL, cr.STSL, "Запись файла: t/s список"_w, FC_CRITICALERRORBUFFER,
                      chain) != ChainEnd::whole)
    return false;
  size = static_cast<std::int64_t>(chain.pairs.size()) * 256;
  std::int32_t at = 0;
  for (const TSREF& pair : chain.pairs) {
    const bool sector = pair.TR != 0 && FC_IS_RANGEOK(md, pair.TR, pair.SC);
    out.push_back({sector ? pair.TR : std::uint8_t{0}, pair.SC, at});
    at += 256;
  }
  return true;
}

bool rewrite_in_image(TCATREC& cr, const TFILEBUF& buf) {
  TMEDIA& md = *cr.PMEDIA;
  const TCATREC33* entry = catalog_entry(md, cr.TCAT, cr.SCAT, cr.OCAT);
  if (entry == nullptr || entry->TF != cr.TTSL || entry->SF != cr.STSL ||
      !std::equal(cr.AGATNAME.begin(), cr.AGATNAME.end(), entry->N))
    return refuse(cr, "на месте файла в каталоге теперь другая запись; файл не изменён"_w);
  if ((entry->E & 0x80) != 0) return refuse(cr, "файл защищён от записи (*), он не изменён"_w);
  std::vector<DataSector> sectors;
  std::int64_t size = 0;
  if (!data_sectors(md, cr, sectors, size)) return false;
  if (size != cr.SIZE)
    return refuse(cr, "цепочка секторов файла изменилась после чтения; файл не изменён"_w);
  // Every sector is compared with what it held before any is written, so a sector that the
  // chain names twice is written only from the place that was edited.
  std::vector<DataSector> changed;
  for (const DataSector& d : sectors) {
    const auto bytes = buf.begin() + d.at;
    if (d.t == 0) {
      if (std::any_of(bytes, bytes + 256, [](std::uint8_t b) { return b != 0; }))
        return refuse(cr, "изменены байты там, где у файла нет сектора; файл не изменён"_w);
    } else if (!std::equal(md.MASS[d.t][d.s].begin(), md.MASS[d.t][d.s].end(), bytes)) {
      changed.push_back(d);
    }
  }
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
