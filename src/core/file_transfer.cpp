#include "core/file_transfer.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include "core/catalog_entry.h"
#include "core/catalog_ops.h"
#include "core/chain_guard.h"
#include "core/cp1251.h"
#include "core/cp1251_literal.h"
#include "core/current_catalog.h"
#include "core/file_chain.h"
#include "core/file_control_messages.h"
#include "core/host_errors.h"
#include "core/host_file_io.h"
#include "core/host_fs.h"
#include "core/image_file.h"
#include "core/vtoc.h"
#include "core/vtoc_soundness.h"

namespace agat {

namespace {

constexpr int kMaxUniqueCandidates = 10000;

// Adds "<context> "<name>"" to each buffer that holds a message.
void add_context(std::string_view context, const TAGATNAME& name) {
  for (std::string* buffer : {&FC_CRITICALERRORBUFFER, &FC_WARNINGBUFFER})
    if (!buffer->empty()) append_message(*buffer, std::string(context) + quoted_agat_name(name));
}

// Every byte of the file keeps its offset: a hole reads as zeros, a sector off the medium as
// zeros and an unreadable one as it is, each of the last two with a warning.
void LOAD_FROM_IMAGE(TCATREC& cr, TFILEBUF& buf) {
  TMEDIA& md = *cr.PMEDIA;
  // A deleted entry keeps its former track in the last name character.
  const std::uint8_t tl = cr.TTSL == 0xFF ? cr.AGATNAME[29] : cr.TTSL;
  cr.SIZE = 0;
  FileChain chain;
  read_file_chain(md, tl, cr.STSL, "Загрузка файла: t/s список"_w, FC_CRITICALERRORBUFFER, chain);
  if (chain.lists.empty()) return;
  const TSREF first = chain.lists.front();
  const TTSLSECTOR& head = as<TTSLSECTOR>(md.MASS[first.TR][first.SC]);
  std::copy(std::begin(head.DATA), std::end(head.DATA), cr.TSDATA.begin());
  for (const TSREF& pair : chain.pairs) {
    if (cr.SIZE + 256 > MAXFILESIZE) {
      report_critical("Буфер переполнен при чтении файла."_w);
      report_critical("Возможно, это ошибка в файловой системе диска."_w);
      return;
    }
    const auto at = buf.begin() + cr.SIZE;
    cr.SIZE += 256;
    if (pair.TR == 0) {
      std::fill(at, at + 256, std::uint8_t{0});
    } else if (DSKAREATEST("Загрузка файла: данные"_w, FC_WARNINGBUFFER, pair.TR, pair.SC, md) ==
               1) {
      std::fill(at, at + 256, std::uint8_t{0});
      report_warning(std::string("на месте сектора в файле оставлены нули (смещение "_w) +
                     std::to_string(cr.SIZE - 256) + ")");
    } else {
      std::copy(md.MASS[pair.TR][pair.SC].begin(), md.MASS[pair.TR][pair.SC].end(), at);
    }
  }
}

void LOAD_FROM_HOSTFS(TCATREC& cr, TFILEBUF& buf) {
  const std::string path = cr.PMEDIA->HOSTPATH + cr.HOSTNAME;
  cr.SIZE = 0;
  // Never waits for a named pipe that took the place of the file listed.
  HostFile file;
  if (!file.open(path, false)) {
    report_critical(std::string("Загрузка FIL-файла: ошибка открытия файла "_w) +
                    quoted_host_path(path) + host_error_suffix(errno));
    return;
  }
  TFILHEADER header;
  std::size_t head = 0, got = 0;
  int error = 0;  // of a failed read; a file too short for its header has none
  bool ok = file.read(&header, sizeof header, head);
  if (ok && head == sizeof header) ok = file.read(buf.data(), MAXFILESIZE, got);
  if (!ok) error = errno;
  file.close();
  if (!ok || head != sizeof header) {
    report_critical(std::string("Загрузка FIL-файла: ошибка чтения файла "_w) +
                    quoted_host_path(path) + host_error_suffix(error));
    return;
  }
  std::copy(std::begin(header.AGATNAME), std::end(header.AGATNAME), cr.AGATNAME.begin());
  std::copy(std::begin(header.TSDATA), std::end(header.TSDATA), cr.TSDATA.begin());
  cr.EXT = header.EXT;
  cr.SIZE = static_cast<std::int32_t>(got);
  if (cr.SIZE == MAXFILESIZE)
    report_critical(std::string("Файл "_w) + quoted_host_path(path) +
                    std::string(" велик и будет усечён !"_w));
}

void SAVE_TO_IMAGE(TCATREC& cr, TFILEBUF& buf, TMEDIA& md) {
  std::uint8_t t, s;
  std::int32_t o;
  const std::size_t before = FC_CRITICALERRORBUFFER.size();
  if (FINDTHISCAT(md, cr.AGATNAME, t, s, o, false)) {
    // A lock is there to keep the file: a locked namesake is not replaced.
    const std::uint8_t type = catalog_entry(md, t, s, o)->E;
    if (type != 0xFF && (type & 0x80) != 0) {
      report_critical("Запись файла: запертый файл с этим именем не заменяется"_w);
      return;
    }
    if (!INT_DELETE(md, t, s, o)) return;  // a sub-catalog of that name, or a looping chain
  } else if (FC_CRITICALERRORBUFFER.size() != before) {
    return;  // the catalog could not be searched
  }
  if (!FC_FINDFREECAT(md, t, s, o, true)) return;
  std::uint8_t tl, sl;
  if (!NEWSECT(md, tl, sl)) return;
  md.MASS[tl][sl].fill(0);
  std::copy(cr.TSDATA.begin(), cr.TSDATA.end(), as<TTSLSECTOR>(md.MASS[tl][sl]).DATA);

  TCATREC33& entry = *catalog_entry(md, t, s, o);
  entry.TF = tl;
  entry.SF = sl;
  entry.E = cr.EXT;
  std::copy(cr.AGATNAME.begin(), cr.AGATNAME.end(), entry.N);
  entry.L = 0;
  entry.R = 0;

  std::int32_t n = 0;
  TTSLSECTOR* list = &as<TTSLSECTOR>(md.MASS[tl][sl]);
  while (true) {
    if (entry.L < 255) ++entry.L;
    for (auto& pair : list->TSL) {
      std::uint8_t td, sd;
      if (!NEWSECT(md, td, sd)) return;
      pair[0] = td;
      pair[1] = sd;
      if (entry.L < 255) ++entry.L;
      // The last sector holds zeros past the file, never what the buffer held there from
      // an earlier, longer file.
      TSECTOR& sector = md.MASS[td][sd];
      const std::int32_t part = std::clamp(cr.SIZE - n, 0, 256);
      std::copy(buf.begin() + n, buf.begin() + n + part, sector.begin());
      std::fill(sector.begin() + part, sector.end(), 0);
      n += 256;
      if (cr.SIZE <= n) {
        FC_SAVEMEDIA(md, false);
        return;
      }
    }
    std::uint8_t tn, sn;
    if (!NEWSECT(md, tn, sn)) return;
    list->TE = tn;
    list->SE = sn;
    md.MASS[tn][sn].fill(0);
    list = &as<TTSLSECTOR>(md.MASS[tn][sn]);
    put_le16(list->DATA + 2, static_cast<std::uint16_t>(n / 256));  // bytes 5..6
  }
}

void SAVE_TO_HOSTFS(TCATREC& cr, TFILEBUF& buf, TMEDIA& md, bool uniqname) {
  if (uniqname && !FINDUNIQNAME(md.HOSTPATH, cr.HOSTNAME)) return;
  const std::string path = md.HOSTPATH + cr.HOSTNAME;
  std::vector<std::uint8_t> data(sizeof(TFILHEADER) + static_cast<std::size_t>(cr.SIZE));
  auto& header = *reinterpret_cast<TFILHEADER*>(data.data());
  std::copy(cr.AGATNAME.begin(), cr.AGATNAME.end(), header.AGATNAME);
  std::copy(cr.TSDATA.begin(), cr.TSDATA.end(), header.TSDATA);
  header.EXT = cr.EXT;
  std::copy(buf.begin(), buf.begin() + cr.SIZE, data.begin() + sizeof(TFILHEADER));

  // A new file is removed again when it cannot be written whole; an existing one is
  // replaced only by a complete new copy.
  int error = 0;
  FileIoResult result = create_file(path, data.data(), data.size(), &error);
  if (result == FileIoResult::exists) result = replace_file(path, data.data(), data.size(), &error);
  if (result == FileIoResult::ok) return;
  const std::string_view what = result == FileIoResult::write_failed
                                    ? "Запись FIL-файла: ошибка записи файла "_w
                                : result == FileIoResult::folder_read_only
                                    ? "Запись FIL-файла: каталог закрыт для записи, файл "_w
                                    : "Запись FIL-файла: ошибка открытия файла "_w;
  report_critical(std::string(what) + quoted_host_path(path) + host_error_suffix(error));
}

}  // namespace

void FC_LOAD(TCATREC& CR, TFILEBUF& BUF) {
  if (CR.CATRECT != CRTAGATFILE || CR.PMEDIA == nullptr) {
    report_critical("Загрузка файла: выбранный элемент не является файлом"_w);
    return;
  }
  if (CR.PMEDIA->MEDIAT == MDIMAGE) {
    LOAD_FROM_IMAGE(CR, BUF);
  } else {
    LOAD_FROM_HOSTFS(CR, BUF);
  }
  add_context("Считывался файл "_w, CR.AGATNAME);
}

void FC_SAVE(TCATREC& CR, TFILEBUF& BUF, TMEDIA& MD, bool UNIQNAME) {
  if (CR.SIZE < 0 || CR.SIZE > MAXFILESIZE) {
    report_critical("Запись файла: неверный размер файла"_w);
  } else if (MD.MEDIAT == MDIMAGE && CR.EXT == 0xFF) {
    // The type byte $FF marks a BTK sub-catalog: an entry of a file with it would lead the
    // catalog into the file's T/S list, and its data could no longer be read or freed.
    report_critical("Запись файла: байт типа $FF означает BTK-каталог, файл не записан"_w);
  } else if (MD.MEDIAT == MDIMAGE) {
    // Saying nothing here would let a move take the silence for success.
    if (require_sound_vtoc(MD, "Запись файла"_w)) SAVE_TO_IMAGE(CR, BUF, MD);
  } else {
    SAVE_TO_HOSTFS(CR, BUF, MD, UNIQNAME);
  }
  add_context("Записывался файл "_w, CR.AGATNAME);
}

namespace {

enum class Walk { next, found, missing, ended, failed };

// Walks the chain of the current catalog from the VTOC, checking every sector. `visit`
// answers for each sector: go on (next), or stop with the entry found (found) or for good
// (missing). A bad or repeated sector is reported with `prefix` and answers failed; the
// end of the chain answers ended, with `last` on the final sector.
template <class Visit>
Walk walk_current_catalog(TMEDIA& md, std::string_view prefix, Visit visit,
                          TCATSECTOR** last = nullptr,
                          std::string& errors = FC_CRITICALERRORBUFFER) {
  const TSREF first = current_catalog(md);
  std::uint8_t t = first.TR, s = first.SC;
  ChainGuard guard;
  while (true) {
    if (DSKAREATEST(prefix, errors, t, s, md) != 0) return Walk::failed;
    if (!guard.visit(t, s, prefix, errors)) return Walk::failed;
    TCATSECTOR& cs = as<TCATSECTOR>(md.MASS[t][s]);
    const Walk answer = visit(t, s, cs);
    if (answer != Walk::next) return answer;
    if (cs.TE == 0) {
      if (last != nullptr) *last = &cs;
      return Walk::ended;
    }
    t = cs.TE;
    s = cs.SE;
  }
}

// A never-used entry ends the catalog, and what lies after it may be anything. Once the entry
// at T/S/O is taken, the catalog must end after it all the same, or the next read takes
// those bytes for entries and links: the next entry of the sector is marked never used, and
// after the sector's last entry a link that leaves the medium, or leads to a sector that is
// unreadable or does not begin with a never-used entry, is cut. Only the sector of the entry
// changes.
void keep_catalog_end(TMEDIA& md, std::uint8_t t, std::uint8_t s, std::int32_t o) {
  TCATSECTOR& cs = as<TCATSECTOR>(md.MASS[t][s]);
  if (o < 6) {
    cs.CR[o + 1].TF = 0;
    return;
  }
  if (cs.TE == 0) return;
  if (!FC_IS_RANGEOK(md, cs.TE, cs.SE) || !FC_IS_SECOK(md.MASS[cs.TE][cs.SE]) ||
      as<TCATSECTOR>(md.MASS[cs.TE][cs.SE]).CR[0].TF != 0) {
    cs.TE = 0;
    cs.SE = 0;
  }
}

}  // namespace

bool FC_FINDFREECAT(TMEDIA& MD, std::uint8_t& T, std::uint8_t& S, std::int32_t& O, bool EXTENABLE) {
  if (MD.MEDIAT != MDIMAGE || MD.VTOCINVALID) return false;
  TCATSECTOR* last = nullptr;
  const Walk walk = walk_current_catalog(
      MD, "Поиск свободных входов в каталоге: каталог"_w,
      [&](std::uint8_t t, std::uint8_t s, TCATSECTOR& cs) {
        for (std::int32_t o = 0; o < 7; ++o) {
          if (cs.CR[o].TF == 0 || cs.CR[o].TF == 0xFF) {
            if (cs.CR[o].TF == 0) keep_catalog_end(MD, t, s, o);
            T = t, S = s, O = o;
            return Walk::found;
          }
        }
        return Walk::next;
      },
      &last);
  if (walk == Walk::found) return true;
  if (walk != Walk::ended || !EXTENABLE) return false;
  // No reusable entry: the catalog grows by one sector.
  std::uint8_t tn, sn;
  if (!NEWSECT(MD, tn, sn)) return false;
  last->TE = tn;
  last->SE = sn;
  MD.MASS[tn][sn].fill(0);
  T = tn, S = sn, O = 0;
  return true;
}

namespace {

bool find_named_entry(TMEDIA& md, const TAGATNAME& name, std::uint8_t& T, std::uint8_t& S,
                      std::int32_t& O, bool deleted, std::string& errors) {
  return walk_current_catalog(
             md, "Поиск заданных входов в каталоге: каталог"_w,
             [&](std::uint8_t t, std::uint8_t s, TCATSECTOR& cs) {
               for (std::int32_t o = 0; o < 7; ++o) {
                 const TCATREC33& e = cs.CR[o];
                 if (e.TF == 0) return Walk::missing;  // the end of the catalog
                 if ((e.TF == 0xFF) == deleted && std::equal(name.begin(), name.end(), e.N)) {
                   T = t, S = s, O = o;
                   return Walk::found;
                 }
               }
               return Walk::next;
             },
             nullptr, errors) == Walk::found;
}

}  // namespace

bool FINDTHISCAT(TMEDIA& MD, const TAGATNAME& NM, std::uint8_t& T, std::uint8_t& S, std::int32_t& O,
                 bool FINDDEL) {
  return find_named_entry(MD, NM, T, S, O, FINDDEL, FC_CRITICALERRORBUFFER);
}

bool has_locked_namesake(TMEDIA& MD, const TAGATNAME& NM) {
  std::uint8_t t, s;
  std::int32_t o;
  std::string ignored;
  if (MD.MEDIAT != MDIMAGE || !vtoc_is_sound(MD) ||
      !find_named_entry(MD, NM, t, s, o, false, ignored))
    return false;
  const std::uint8_t type = catalog_entry(MD, t, s, o)->E;
  return type != 0xFF && (type & 0x80) != 0;
}

bool FINDUNIQNAME(const std::string& PT, std::string& FN) {
  const auto dot = FN.rfind('.');
  const std::string name = dot == std::string::npos ? "" : FN.substr(0, dot);
  const std::string ext = dot == std::string::npos ? FN : FN.substr(dot);
  for (int k = 0; k < kMaxUniqueCandidates; ++k) {
    const std::string candidate = k == 0 ? name + ext : name + "~" + std::to_string(k) + ext;
    // Only a name that certainly does not exist is free; any other outcome counts as taken.
    const HostStatus status = host_link_status(PT + candidate);
    if (status.kind == HostKind::missing && status.error == ENOENT) {
      FN = candidate;
      return true;
    }
  }
  report_critical(std::string("Не удалось подобрать свободное имя для файла "_w) +
                  quoted_host_path(PT + FN));
  return false;
}

}  // namespace agat
