// Recovery of a lost file from its T/S list (BUILDFILE): what may be recovered, the entry
// it gets, and the deleted entry that gets it back under its own name.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "core/catalog_entry.h"
#include "core/catalog_ops.h"
#include "core/char_sets.h"
#include "core/cp1251_literal.h"
#include "core/file_control_messages.h"
#include "core/file_transfer.h"
#include "core/image_file.h"
#include "core/immap.h"
#include "core/immap_summary.h"
#include "core/vtoc.h"

namespace agat {

namespace {

constexpr std::string_view kPrefix = "Создание файла из T/S-списка: "_w;

std::string place(std::uint8_t t, std::uint8_t s) {
  return std::to_string(t) + "/" + std::to_string(s);
}

void refuse(const std::string& why) {
  report_critical(std::string(kPrefix) + why);
}

// An Agat name between double quotes, without its trailing blanks.
std::string shown_name(const std::uint8_t* name) {
  std::string text = A2L(std::string_view(reinterpret_cast<const char*>(name), 30));
  text.erase(text.find_last_not_of(' ') + 1);
  return quoted(text);
}

// A deleted entry's name, quoted: deletion keeps a track number in its last character.
std::string deleted_name(const TCATREC33& e) {
  TAGATNAME name;
  std::copy(std::begin(e.N), std::end(e.N), name.begin());
  name[29] = AGAT_SPACE;
  return shown_name(name.data());
}

// Who holds sector t/s in the map, for a refusal.
std::string owner(std::uint8_t t, std::uint8_t s) {
  const TIMMLINK& link = SCMP[t][s].LINKSFROM[0];
  switch (link.LF_FORMAT) {
    case IMMVTOC:
      return std::string("сектор "_w) + place(t, s) + std::string(" — это VTOC"_w);
    case IMMCAT:
      return std::string("сектор "_w) + place(t, s) + std::string(" — это сектор каталога"_w);
    default:
      return std::string("сектор "_w) + place(t, s) + std::string(" уже принадлежит файлу "_w) +
             shown_name(link.LF_FNAME.data());
  }
}

// The first list of the lost chain that continues into t/s, when t/s is not a chain's
// first list itself.
const TIMMORPHAN* chain_with_tail(const std::vector<TIMMORPHAN>& orphans, std::uint8_t t,
                                  std::uint8_t s) {
  for (const TIMMORPHAN& o : orphans)
    for (const TSECTORPLACE p : o.LISTS)
      if (p.T == t && p.S == s) return &o;
  return nullptr;
}

// A list that a file's own T/S list leads on to belongs to that file, even where the walk
// of the file stopped before it (at an empty pair: a sparse file, or a damaged list).
bool continues_a_file(const TMEDIA& md, std::uint8_t t, std::uint8_t s, std::string& from) {
  for (int ft = 0; ft <= md.NUMTR; ++ft) {
    for (int fs = 0; fs <= md.NUMSC; ++fs) {
      const T_IMMSECTORDESC& d = SCMP[ft][fs];
      const TSECTOR& list = md.MASS[ft][fs];
      const bool file_list =
          std::any_of(d.LINKSFROM.begin(), d.LINKSFROM.begin() + d.LINKSCNT,
                      [](const TIMMLINK& l) { return l.LF_FORMAT == IMMTSLIST; });
      if (file_list && list[0] == 0 && list[1] == t && list[2] == s) {
        from = place(static_cast<std::uint8_t>(ft), static_cast<std::uint8_t>(fs));
        return true;
      }
    }
  }
  return false;
}

// The first sector of the chain from t/s that something already refers to: a VTOC or
// catalog sector, or a sector of a live file. A file made of such a chain would share it,
// and deleting either would free the other's sectors.
bool first_taken(TMEDIA& md, std::uint8_t t, std::uint8_t s, TSECTORPLACE& taken) {
  bool found = false;
  walk_tsl_chain(md, t, s, [&](std::uint8_t ct, std::uint8_t cs, bool) {
    if (found || SCMP[ct][cs].LINKSCNT == 0) return;
    taken = {ct, cs};
    found = true;
  });
  return found;
}

// A free entry of the current catalog: a never-used one if there is one, so that no
// deleted file loses the entry it could be undeleted from; else the first deleted one,
// whose name is given in REUSED. The search holds each deleted entry it meets aside (its
// track byte changed in memory) and puts it back before returning.
bool free_entry(TMEDIA& md, std::uint8_t& t, std::uint8_t& s, std::int32_t& o,
                std::string& reused) {
  std::vector<TCATREC33*> held;
  const std::size_t before = FC_CRITICALERRORBUFFER.size();
  bool found = false;
  while (true) {
    const std::size_t messages = FC_CRITICALERRORBUFFER.size();
    std::uint8_t nt, ns;
    std::int32_t no;
    if (!FC_FINDFREECAT(md, nt, ns, no, false)) {
      // A catalog that breaks off after a deleted entry still has that entry.
      if (found) FC_CRITICALERRORBUFFER.resize(messages);
      break;
    }
    TCATREC33* e = catalog_entry(md, nt, ns, no);
    if (!found || e->TF == 0) t = nt, s = ns, o = no;
    found = true;
    if (e->TF == 0) break;
    held.push_back(e);
    e->TF = 0xFE;
  }
  for (TCATREC33* e : held) e->TF = 0xFF;
  if (!found) {
    if (FC_CRITICALERRORBUFFER.size() == before)
      refuse(std::string("в каталоге нет свободной записи, ничего не изменено"_w));
    return false;
  }
  const TCATREC33& e = *catalog_entry(md, t, s, o);
  if (e.TF == 0xFF) reused = deleted_name(e);
  return true;
}

// The deleted entry of `o` is restored by the undelete of the catalog operations, with a
// blank as its last name character.
bool undelete(TMEDIA& md, const TIMMORPHAN& o) {
  const TCATREC33& e = *catalog_entry(md, o.ENTRY.T, o.ENTRY.S, o.OCAT);
  TCATREC cr;
  cr.CATRECT = CRTAGATFILE;
  cr.PMEDIA = &md;
  std::copy(std::begin(e.N), std::end(e.N), cr.AGATNAME.begin());
  cr.EXT = e.E;
  cr.TTSL = e.TF;
  cr.STSL = e.SF;
  cr.TCAT = o.ENTRY.T;
  cr.SCAT = o.ENTRY.S;
  cr.OCAT = o.OCAT;
  cr.SIZECAT = e.L;
  cr.HID = e.R;
  cr.IMAGET = md.IMAGET;
  const std::size_t before = FC_CRITICALERRORBUFFER.size();
  FC_UNDELETE(cr, AGAT_SPACE);
  if (FC_CRITICALERRORBUFFER.size() != before) return false;
  // An undelete that gave up with a warning only has changed nothing either.
  if (e.TF == 0xFF) {
    refuse(std::string("удалённый файл "_w) + deleted_name(e) + std::string(" не восстановлен"_w));
    return false;
  }
  return true;
}

}  // namespace

bool BUILDFILE(TMEDIA& MD, std::uint8_t TTSL, std::uint8_t STSL) {
  const std::string where = place(TTSL, STSL);
  // An entry for a sector that is no T/S list would be a file of garbage.
  if (!FC_IS_RANGEOK(MD, TTSL, STSL) || !FC_IS_TSL(MD, TTSL, STSL)) {
    refuse(std::string("сектор "_w) + where + std::string(" не T/S-список"_w));
    return false;
  }
  // A catalog entry whose T/S list is on track 0 reads as a never-used entry: the file
  // would vanish from the catalog and its sectors be given to the next file saved.
  if (TTSL == 0) {
    refuse(std::string("T/S-список "_w) + where +
           std::string(" на дорожке 0: запись каталога с дорожкой 0 считается свободной, "
                       "файл не создан"_w));
    return false;
  }
  // What refers to what is decided on the sectors as they are now.
  TVTOCFAULTS faults;
  scan_map(MD, faults);
  const std::vector<TIMMORPHAN> orphans = find_orphans(MD);
  if (SCMP[TTSL][STSL].LINKSCNT != 0) {
    refuse(std::string("на T/S-список "_w) + where + std::string(" уже есть ссылка"_w));
    return false;
  }
  std::string from;
  if (continues_a_file(MD, TTSL, STSL, from)) {
    refuse(std::string("T/S-список "_w) + where + std::string(" продолжает цепочку T/S-списка "_w) +
           from + std::string(", файл не создан"_w));
    return false;
  }
  if (const TIMMORPHAN* head = chain_with_tail(orphans, TTSL, STSL)) {
    refuse(std::string("T/S-список "_w) + where +
           std::string(" продолжает цепочку брошенного T/S-списка "_w) +
           place(head->AT.T, head->AT.S) +
           std::string(", файл восстанавливается с него, ничего не изменено"_w));
    return false;
  }
  TSECTORPLACE taken;
  if (first_taken(MD, TTSL, STSL, taken)) {
    refuse(owner(taken.T, taken.S) + std::string(", файл не создан"_w));
    return false;
  }
  // The sector editor may just have made the VTOC readable again.
  if (DSKAREATEST(std::string(kPrefix) + "VTOC", FC_CRITICALERRORBUFFER, 17, 0, MD) != 0)
    return false;
  MD.VTOCINVALID = false;
  const auto own = std::find_if(orphans.begin(), orphans.end(), [&](const TIMMORPHAN& o) {
    return o.AT.T == TTSL && o.AT.S == STSL;
  });
  if (own != orphans.end() && own->OCAT >= 0) return undelete(MD, *own);

  std::uint8_t t, s;
  std::int32_t o;
  std::string reused;
  if (!free_entry(MD, t, s, o, reused)) return false;
  if (!reused.empty())
    report_warning(std::string(kPrefix) +
                   std::string("свободных записей нет, занята запись "
                               "удалённого файла "_w) +
                   reused + std::string(", его больше нельзя восстановить"_w));
  TCATREC33& entry = *catalog_entry(MD, t, s, o);
  entry.TF = TTSL;
  entry.SF = STSL;
  entry.E = 0;
  std::fill(std::begin(entry.N), std::end(entry.N), AGAT_SPACE);
  char digits[8];
  std::snprintf(digits, sizeof digits, "%3d", TTSL);
  L2A(std::string_view(digits, 3)).copy(reinterpret_cast<char*>(entry.N + 1), 3);
  std::snprintf(digits, sizeof digits, "%3d", STSL);
  L2A(std::string_view(digits, 3)).copy(reinterpret_cast<char*>(entry.N + 6), 3);
  entry.L = 0;
  entry.R = 0;
  // The recovered file's sectors are taken, so that the next file saved does not
  // overwrite them.
  walk_tsl_chain(MD, TTSL, STSL,
                 [&MD](std::uint8_t dt, std::uint8_t ds, bool) { GETSECT(MD, dt, ds); });
  FC_SAVEMEDIA(MD, false);
  return true;
}

}  // namespace agat
