#include "core/catalog_ops.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "core/catalog_entry.h"
#include "core/chain_guard.h"
#include "core/cp1251.h"
#include "core/cp1251_literal.h"
#include "core/file_control_messages.h"
#include "core/file_transfer.h"
#include "core/host_errors.h"
#include "core/image_file.h"
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
  if (require_sound_vtoc(*cr.PMEDIA, "Удаление файла"_w) && entry_of(cr) != nullptr &&
      INT_DELETE(*cr.PMEDIA, cr.TCAT, cr.SCAT, cr.OCAT))
    FC_SAVEMEDIA(*cr.PMEDIA, false);
  if (!FC_CRITICALERRORBUFFER.empty())
    report_critical(std::string("Удалялся файл "_w) + quoted_agat_name(cr.AGATNAME));
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
  std::uint8_t t = master->TF, s = master->SF;
  master->N[29] = master->TF;
  master->TF = 0xFF;
  const std::string_view prefix = "Удаление BTK-каталога"_w;
  ChainGuard guard;
  bool first = true;
  while (true) {
    if (DSKAREATEST(prefix, FC_CRITICALERRORBUFFER, t, s, md) != 0) return;
    if (!guard.visit(t, s, prefix, FC_CRITICALERRORBUFFER)) return;
    const TCATSECTOR& cs = as<TCATSECTOR>(md.MASS[t][s]);
    for (int o = first ? 1 : 0; o < 7; ++o) {
      if (cs.CR[o].TF >= 1 && cs.CR[o].TF <= 254) {
        report_critical(std::string("Удалять непустой каталог нельзя ("_w) +
                        quoted_agat_name(cr.AGATNAME) + ") !");
        return;
      }
    }
    first = false;
    FREESECT(md, t, s);
    if (cs.TE == 0) break;
    t = cs.TE;
    s = cs.SE;
  }
  FC_SAVEMEDIA(md, false);
}

void delete_host_object(TCATREC& cr) {
  const std::string path = cr.PMEDIA->HOSTPATH + cr.HOSTNAME;
  if (cr.CATRECT == CRTHOSTFSDIR) {
    if (cr.HOSTNAME == "..") return;
    if (::rmdir(path.c_str()) != 0) {
      report_critical("Ошибка удаления каталога"_w);
      report_critical(quoted_host_path(path) + std::string(". Возможно, он не пуст !"_w));
    }
  } else if (cr.CATRECT == CRTDISKIMAGE || cr.CATRECT == CRTAGATFILE) {
    if (::unlink(path.c_str()) != 0)
      report_critical(std::string("Ошибка удаления файла "_w) + quoted_host_path(path) + " !");
  }
}

// Renames without ever replacing an existing object of the new name.
bool rename_no_replace(const std::string& from, const std::string& to) {
#ifdef RENAME_NOREPLACE
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno != EINVAL && errno != ENOSYS) return false;
#endif
  struct stat st {};
  if (::lstat(to.c_str(), &st) == 0) return false;
  return ::rename(from.c_str(), to.c_str()) == 0;
}

// Reads the 40-byte head of a ".FIL" file, lets `change` edit it and writes it back.
template <class Change>
void edit_fil_header(TCATREC& cr, Change change) {
  const std::string path = cr.PMEDIA->HOSTPATH + cr.HOSTNAME;
  const int fd = ::open(path.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);  // never waits for a pipe
  if (fd < 0) {
    report_critical(std::string("Изменение FIL-файла: ошибка открытия файла "_w) +
                    quoted_host_path(path) + host_error_suffix(errno));
    return;
  }
  TFILHEADER header;
  bool ok = ::pread(fd, &header, sizeof header, 0) == static_cast<ssize_t>(sizeof header);
  if (ok) {
    change(header);
    ok = ::pwrite(fd, &header, sizeof header, 0) == static_cast<ssize_t>(sizeof header);
  }
  ok = ::close(fd) == 0 && ok;
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

// Takes the sectors of an undeleted file in the VTOC again, along its T/S chain. A
// sector another file uses already is named in a warning. False on a looping chain.
bool retake_sectors(TMEDIA& md, std::uint8_t tl, std::uint8_t sl, const TAGATNAME& name) {
  const std::string_view prefix = "Восстановление файла: t/s список"_w;
  ChainGuard guard;
  auto take = [&](std::uint8_t t, std::uint8_t s) {
    if (!FC_IS_RANGEOK(md, t, s) || GETSECT(md, t, s)) return;
    report_warning(std::string("Восстановление файла "_w) + quoted_agat_name(name) +
                   std::string(": сектор "_w) + std::to_string(t) + "/" + std::to_string(s) +
                   std::string(" уже занят другим файлом"_w));
  };
  while (true) {
    if (DSKAREATEST(prefix, FC_WARNINGBUFFER, tl, sl, md) != 0) return true;
    if (!guard.visit(tl, sl, prefix, FC_CRITICALERRORBUFFER)) return false;
    take(tl, sl);
    const TTSLSECTOR& list = as<TTSLSECTOR>(md.MASS[tl][sl]);
    for (const auto& pair : list.TSL) {
      if (pair[0] == 0) return true;
      take(pair[0], pair[1]);
    }
    if (list.TE == 0) return true;
    tl = list.TE;
    sl = list.SE;
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
  const TVTOCSECTOR& vt = as<TVTOCSECTOR>(md.MASS[17][0]);
  TCATREC33& slave = as<TCATSECTOR>(md.MASS[ct][cs]).CR[0];
  slave.TF = vt.TE;
  slave.SF = vt.SE;
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
  std::uint8_t tl = e->TF, sl = e->SF;
  e->N[29] = e->TF;
  e->TF = 0xFF;
  const std::string_view prefix = "Удаление файла: t/s список"_w;
  ChainGuard guard;
  while (true) {
    if (DSKAREATEST(prefix, FC_CRITICALERRORBUFFER, tl, sl, MD) != 0) return true;
    if (!guard.visit(tl, sl, prefix, FC_CRITICALERRORBUFFER)) return false;
    FREESECT(MD, tl, sl);
    const TTSLSECTOR& list = as<TTSLSECTOR>(MD.MASS[tl][sl]);
    for (const auto& pair : list.TSL) {
      if (pair[0] == 0) break;
      FREESECT(MD, pair[0], pair[1]);
    }
    if (list.TE == 0) return true;
    tl = list.TE;
    sl = list.SE;
  }
}

void FC_UNDELETE(TCATREC& CR) {
  if (CR.PMEDIA == nullptr || CR.PMEDIA->MEDIAT != MDIMAGE) return;
  TMEDIA& md = *CR.PMEDIA;
  TCATREC33* e = entry_of(CR);
  if (e == nullptr || e->TF != 0xFF || e->E == 0xFF) return;
  if (!require_sound_vtoc(md, "Восстановление файла"_w)) return;
  e->TF = e->N[29];
  e->N[29] = 0x52;
  if (!FC_IS_TSL(md, e->TF, e->SF)) return;
  TAGATNAME name;
  std::copy(std::begin(e->N), std::end(e->N), name.begin());
  if (retake_sectors(md, e->TF, e->SF, name)) FC_SAVEMEDIA(md, false);
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
      if (!rename_no_replace(from, md.HOSTPATH + CR2.HOSTNAME))
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
      std::copy(CR2.AGATNAME.begin(), CR2.AGATNAME.end(), master->N);
      TCATREC33* slave = catalog_entry(md, master->TF, master->SF, 0);
      if (slave == nullptr || !std::equal(CR1.AGATNAME.begin(), CR1.AGATNAME.end(), slave->N) ||
          CR1.EXT != 0xFF) {
        report_critical("Записи slave и master-каталогов не совпадают !"_w);
        return;
      }
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
  if (::mkdir(path.c_str(), 0777) != 0)
    report_critical(std::string("Ошибка создания каталога "_w) + quoted_host_path(path) + " !");
}

}  // namespace agat
