#include "core/catalog_ops.h"

#include <algorithm>
#include <cerrno>
#include <vector>

#include "core/catalog_entry.h"
#include "core/chain_guard.h"
#include "core/cp1251.h"
#include "core/cp1251_literal.h"
#include "core/current_catalog.h"
#include "core/file_chain.h"
#include "core/file_control_messages.h"
#include "core/file_transfer.h"
#include "core/host_errors.h"
#include "core/host_fs.h"
#include "core/image_file.h"
#include "core/sector_holders.h"
#include "core/vtoc.h"
#include "core/vtoc_soundness.h"

namespace agat {

namespace {

// The image entry a record names; reports and answers nullptr when it is not on the medium.
TCATREC33* entry_of(TCATREC& cr) {
  TCATREC33* e = catalog_entry(*cr.PMEDIA, cr.TCAT, cr.SCAT, cr.OCAT);
  if (e == nullptr) report_critical("Неверная ссылка на вход каталога"_w);
  return e;
}

void DEL_DOS33(TCATREC& cr) {
  const std::size_t warnings = FC_WARNINGBUFFER.size();
  if (require_sound_vtoc(*cr.PMEDIA, "Удаление файла"_w) && entry_of(cr) != nullptr &&
      INT_DELETE(*cr.PMEDIA, cr.TCAT, cr.SCAT, cr.OCAT))
    FC_SAVEMEDIA(*cr.PMEDIA, false);
  const std::string context = std::string("Удалялся файл "_w) + quoted_agat_name(cr.AGATNAME);
  if (!FC_CRITICALERRORBUFFER.empty()) {
    report_critical(context);
  } else if (FC_WARNINGBUFFER.size() != warnings) {
    report_warning(context);
  }
}

void DEL_BTK(TCATREC& cr) {
  TMEDIA& md = *cr.PMEDIA;
  if (!require_sound_vtoc(md, "Удаление BTK-каталога"_w)) return;
  TCATREC33* master = entry_of(cr);
  if (master == nullptr || master->TF == 0xFF) return;
  if (master->E != 0xFF) {
    report_critical("Удаление BTK-каталога: вход каталога не является BTK-каталогом"_w);
    return;
  }
  // The whole sub-catalog is looked at before anything changes. The entry may be the way
  // back out of this catalog instead: then its catalog is the parent, which holds the
  // entry of this one, or it is the root, or its chain runs into this catalog.
  const std::string_view prefix = "Удаление BTK-каталога"_w;
  const TSREF here = current_catalog(md), target{master->TF, master->SF};
  ChainGuard guard, this_catalog;
  mark_catalog_chain(md, here, this_catalog);
  bool way_back = md.known_root == target, not_empty = false;
  std::vector<TSREF> sectors;
  for (TSREF at = target; at.TR != 0 && !way_back;) {
    if (DSKAREATEST(prefix, FC_CRITICALERRORBUFFER, at.TR, at.SC, md) != 0) return;
    if (!guard.visit(at.TR, at.SC, prefix, FC_CRITICALERRORBUFFER)) return;
    way_back = this_catalog.seen(at.TR, at.SC);
    const TCATSECTOR& cs = as<TCATSECTOR>(md.MASS[at.TR][at.SC]);
    // The first entry of a sub-catalog leads back to the catalog that holds it.
    for (int o = sectors.empty() ? 1 : 0; o < 7; ++o) {
      const TCATREC33& e = cs.CR[o];
      if (e.TF < 1 || e.TF > 254) continue;
      not_empty = true;
      way_back = way_back || (e.E == 0xFF && TSREF{e.TF, e.SF} == here);
    }
    sectors.push_back(at);
    at = {cs.TE, cs.SE};
  }
  // A sub-catalog made in the first entry of its parent's first sector points at the
  // parent's first entry, which points back at it: on the disk nothing tells that entry
  // from the way back out of a sub-catalog, unless this catalog is known to be the root.
  const bool first_entry = TSREF{cr.TCAT, cr.SCAT} == here && cr.OCAT == 0;
  if (way_back) {
    report_critical("Удаление BTK-каталога: запись ведёт обратно в родительский каталог"_w);
    return;
  }
  if (first_entry && md.known_root != here) {
    report_critical("Удаление BTK-каталога: не известно, подкаталог это или выход"_w);
    report_critical("в родительский каталог (первая запись каталога); удаление отменено"_w);
    return;
  }
  if (not_empty) {
    report_critical(std::string("Удалять непустой каталог нельзя ("_w) +
                    quoted_agat_name(cr.AGATNAME) + ") !");
    return;
  }
  master->N[29] = master->TF;
  master->TF = 0xFF;
  for (const TSREF& at : sectors) FREESECT(md, at.TR, at.SC);
  FC_SAVEMEDIA(md, false);
}

void delete_host_object(TCATREC& cr) {
  const std::string path = cr.PMEDIA->HOSTPATH + cr.HOSTNAME;
  if (cr.CATRECT == CRTHOSTFSDIR) {
    if (cr.HOSTNAME == "..") return;
    if (!remove_host_directory(path)) {
      report_critical("Ошибка удаления каталога"_w);
      report_critical(quoted_host_path(path) + std::string(". Возможно, он не пуст !"_w));
    }
  } else if (cr.CATRECT == CRTDISKIMAGE || cr.CATRECT == CRTAGATFILE) {
    if (!remove_host_file(path))
      report_critical(std::string("Ошибка удаления файла "_w) + quoted_host_path(path) + " !");
  }
}

// Reads the 40-byte head of a ".FIL" file, lets `change` edit it and writes it back.
template <class Change>
void edit_fil_header(TCATREC& cr, Change change) {
  const std::string path = cr.PMEDIA->HOSTPATH + cr.HOSTNAME;
  HostFile file;
  if (!file.open(path, true)) {
    report_critical(std::string("Изменение FIL-файла: ошибка открытия файла "_w) +
                    quoted_host_path(path) + host_error_suffix(errno));
    return;
  }
  TFILHEADER header;
  bool ok = file.read_at(0, &header, sizeof header);
  if (ok) {
    change(header);
    ok = file.write_at(0, &header, sizeof header);
  }
  ok = file.close() && ok;
  if (!ok)
    report_critical(
        std::string("Изменение FIL-файла: ошибка чтения или записи заголовка файла "_w) +
        quoted_host_path(path));
}

std::uint8_t relocked(std::uint8_t ext, std::int8_t mode) {
  if (mode == -1) return ext & 0x7F;
  if (mode == 1) return ext | 0x80;
  return ext ^ 0x80;
}

// An entry's name for messages: a deleted entry's last character is a track number.
std::string shown_deleted_name(const TCATREC33& e) {
  TAGATNAME name;
  std::copy(std::begin(e.N), std::end(e.N), name.begin());
  name[29] = AGAT_SPACE;
  return quoted_agat_name(name);
}

// One line for each holder of sectors in `taken`: its first sectors, then who holds them.
void report_taken(const std::vector<TakenSector>& taken) {
  constexpr std::size_t kShown = 6;
  std::vector<bool> done(taken.size());
  for (std::size_t i = 0; i < taken.size(); ++i) {
    if (done[i]) continue;
    std::string places;
    std::size_t count = 0;
    for (std::size_t j = i; j < taken.size(); ++j) {
      if (done[j] || taken[j].holder != taken[i].holder) continue;
      done[j] = true;
      if (++count > kShown) continue;
      if (!places.empty()) places += ", ";
      places += std::to_string(taken[j].at.TR) + "/" + std::to_string(taken[j].at.SC);
    }
    if (count > kShown) places += std::string(" и ещё "_w) + std::to_string(count - kShown);
    const bool one = count == 1;
    const std::string what =
        taken[i].holder.empty()
            ? std::string(one ? " отмечен занятым в VTOC"_w : " отмечены занятыми в VTOC"_w)
            : std::string(" занимает "_w) + taken[i].holder;
    report_critical(std::string(one ? "сектор "_w : "секторы "_w) + places + what);
  }
}

bool MKADIR(TMEDIA& md, const TAGATNAME& dn) {
  std::uint8_t t, s;
  std::int32_t o;
  const std::size_t before = FC_CRITICALERRORBUFFER.size();
  if (FINDTHISCAT(md, dn, t, s, o, false)) {
    report_critical(std::string("Такое имя уже есть ("_w) + quoted_agat_name(dn) + ")");
    return false;
  }
  if (FC_CRITICALERRORBUFFER.size() != before) return false;
  if (!FC_FINDFREECAT(md, t, s, o, true)) return false;
  std::uint8_t ct, cs;
  if (!NEWSECT(md, ct, cs)) return false;

  TCATREC33& master = *catalog_entry(md, t, s, o);
  master.TF = ct;
  master.SF = cs;
  master.E = 0xFF;
  std::copy(dn.begin(), dn.end(), master.N);
  master.L = 0;
  master.R = 0;

  md.MASS[ct][cs].fill(0);
  const TSREF parent = current_catalog(md);
  TCATREC33& slave = as<TCATSECTOR>(md.MASS[ct][cs]).CR[0];
  slave.TF = parent.TR;
  slave.SF = parent.SC;
  slave.E = 0xFF;
  std::copy(dn.begin(), dn.end(), slave.N);

  std::uint8_t pt = ct, ps = cs;
  for (int n = 2; n <= CATLEN; ++n) {
    std::uint8_t nt, ns;
    if (!NEWSECT(md, nt, ns)) return false;
    md.MASS[nt][ns].fill(0);
    as<TCATSECTOR>(md.MASS[pt][ps]).TE = nt;
    as<TCATSECTOR>(md.MASS[pt][ps]).SE = ns;
    pt = nt;
    ps = ns;
  }
  return true;
}

}  // namespace

void FC_DELETE(TCATREC& CR) {
  if (CR.PMEDIA == nullptr) return;
  if (CR.PMEDIA->MEDIAT == MDHOSTFS) {
    delete_host_object(CR);
  } else if (CR.CATRECT == CRTAGATFILE) {
    DEL_DOS33(CR);
  } else if (CR.CATRECT == CRTBTKDIR) {
    DEL_BTK(CR);
  }
}

bool INT_DELETE(TMEDIA& MD, std::uint8_t TCAT, std::uint8_t SCAT, std::int32_t OCAT) {
  TCATREC33* e = catalog_entry(MD, TCAT, SCAT, OCAT);
  if (e == nullptr) {
    report_critical("Неверная ссылка на вход каталога"_w);
    return false;
  }
  if (e->TF == 0xFF) return true;
  if (e->E == 0xFF) {
    report_critical("Удаление файла: маркер указывает на BTK-каталог !"_w);
    return false;
  }
  // A chain that leaves the disk or meets an unreadable list is deleted as far as it
  // leads, with a warning; one that loops is not deleted at all.
  FileChain chain;
  if (read_file_chain(MD, e->TF, e->SF, "Удаление файла: t/s список"_w, FC_WARNINGBUFFER, chain) ==
      ChainEnd::looped)
    return false;
  e->N[29] = e->TF;
  e->TF = 0xFF;
  for_chain_sectors(MD, chain, [&](std::uint8_t t, std::uint8_t s) { FREESECT(MD, t, s); });
  return true;
}

void FC_UNDELETE(TCATREC& CR, std::uint8_t LAST) {
  if (CR.PMEDIA == nullptr || CR.PMEDIA->MEDIAT != MDIMAGE) return;
  TMEDIA& md = *CR.PMEDIA;
  TCATREC33* e = entry_of(CR);
  if (e == nullptr || e->TF != 0xFF || e->E == 0xFF) return;
  if (!require_sound_vtoc(md, "Восстановление файла"_w)) return;
  // Everything is decided before the entry changes. Track 0 would end the catalog at this
  // entry, whatever sector 0 holds.
  const std::uint8_t tl = e->N[29], sl = e->SF;
  const std::string context = std::string("Восстановление файла "_w) + shown_deleted_name(*e);
  if (tl == 0 || !FC_IS_TSL(md, tl, sl)) {
    report_critical(context + std::string(": сохранённая в записи дорожка не ведёт к T/S-списку, "
                                          "файл не восстановлен"_w));
    return;
  }
  FileChain chain;
  if (read_file_chain(md, tl, sl, "Восстановление файла: t/s список"_w, FC_WARNINGBUFFER, chain) ==
      ChainEnd::looped)
    return;
  // A sector given to another file since would then belong to two, and deleting either
  // would free the other's: the undeletion is refused, naming who holds the sectors.
  std::vector<TSREF> sectors;
  for_chain_sectors(md, chain, [&](std::uint8_t t, std::uint8_t s) { sectors.push_back({t, s}); });
  const std::vector<TakenSector> taken = taken_sectors(md, sectors);
  if (!taken.empty()) {
    report_critical(context +
                    std::string(": его секторы с тех пор заняты, файл не восстановлен"_w));
    report_taken(taken);
    return;
  }
  e->TF = tl;
  e->N[29] = LAST;
  for_chain_sectors(md, chain, [&](std::uint8_t t, std::uint8_t s) { GETSECT(md, t, s); });
  FC_SAVEMEDIA(md, false);
}

void FC_RENAME(TCATREC& CR1, TCATREC& CR2) {
  if (CR1.PMEDIA == nullptr) return;
  TMEDIA& md = *CR1.PMEDIA;
  if (md.MEDIAT == MDIMAGE && !require_sound_vtoc(md, "Переименование"_w)) return;
  switch (CR1.CATRECT) {
    case CRTHOSTFSDIR:
    case CRTDISKIMAGE: {
      if (CR1.HOSTNAME == ".." || CR1.HOSTNAME == CR2.HOSTNAME) return;
      const std::string from = md.HOSTPATH + CR1.HOSTNAME;
      if (!rename_host_entry(from, md.HOSTPATH + CR2.HOSTNAME))
        report_critical(std::string("Ошибка переименования "_w) + quoted_host_path(from) + " !");
      return;
    }
    case CRTAGATFILE:
      if (md.MEDIAT == MDIMAGE) {
        TCATREC33* e = entry_of(CR1);
        if (e == nullptr) return;
        e->E = CR2.EXT;
        std::copy(CR2.AGATNAME.begin(), CR2.AGATNAME.end(), e->N);
        FC_SAVEMEDIA(md, false);
      } else {
        edit_fil_header(CR1, [&](TFILHEADER& h) {
          h.EXT = CR2.EXT;
          std::copy(CR2.AGATNAME.begin(), CR2.AGATNAME.end(), h.AGATNAME);
        });
      }
      return;
    case CRTBTKDIR: {
      TCATREC33* master = entry_of(CR1);
      if (master == nullptr || master->TF == 0xFF) return;
      TCATREC33* slave = catalog_entry(md, master->TF, master->SF, 0);
      if (slave == nullptr || !std::equal(CR1.AGATNAME.begin(), CR1.AGATNAME.end(), slave->N) ||
          CR1.EXT != 0xFF) {
        report_critical("Записи slave и master-каталогов не совпадают !"_w);
        return;
      }
      std::copy(CR2.AGATNAME.begin(), CR2.AGATNAME.end(), master->N);
      std::copy(CR2.AGATNAME.begin(), CR2.AGATNAME.end(), slave->N);
      FC_SAVEMEDIA(md, false);
      return;
    }
  }
}

void FC_RELOCK(TCATREC& CR, std::int8_t MODE) {
  if (CR.CATRECT != CRTAGATFILE || CR.PMEDIA == nullptr) return;
  if (CR.PMEDIA->MEDIAT == MDIMAGE) {
    TCATREC33* e = require_sound_vtoc(*CR.PMEDIA, "Замок файла"_w) ? entry_of(CR) : nullptr;
    if (e == nullptr) return;
    e->E = relocked(e->E, MODE);
    FC_SAVEMEDIA(*CR.PMEDIA, false);
  } else {
    edit_fil_header(CR, [&](TFILHEADER& h) { h.EXT = relocked(h.EXT, MODE); });
  }
}

void FC_MAKEDIR(TMEDIA& MD, const TAGATNAME& DN) {
  if (MD.MEDIAT != MDIMAGE || !require_sound_vtoc(MD, "Создание BTK-каталога"_w)) return;
  if (MKADIR(MD, DN)) FC_SAVEMEDIA(MD, false);
}

void FC_MAKEDIR(TMEDIA& MD, const std::string& DN) {
  if (MD.MEDIAT != MDHOSTFS) return;
  const std::string path = MD.HOSTPATH + DN;
  if (!make_host_directory(path))
    report_critical(std::string("Ошибка создания каталога "_w) + quoted_host_path(path) + " !");
}

}  // namespace agat
