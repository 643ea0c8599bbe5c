#include "core/catalog_read.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "core/char_sets.h"
#include "core/cp1251.h"
#include "core/cp1251_literal.h"
#include "core/current_catalog.h"
#include "core/file_control_messages.h"
#include "core/host_fs.h"
#include "core/host_paths.h"
#include "core/host_volume.h"
#include "core/image_file.h"
#include "core/image_form.h"
#include "core/volume_name.h"
#include "core/vtoc.h"

namespace agat {

namespace {

constexpr TAGATNAME make_not_set() {
  TAGATNAME n{};
  const char text[] = "<not_set>";
  for (std::size_t i = 0; i + 1 < sizeof text; ++i) n[i] = static_cast<std::uint8_t>(text[i]);
  return n;
}

// Counts the entry just filled; true (with the message) when the catalog is full.
bool INCCATNUM(TMEDIA& md) {
  ++md.CAT.CATNUM;
  if (md.CAT.CATNUM >= MAXCATSIZE) {
    report_critical("Превышен внутренний лимит на число имён в каталоге"_w);
    return true;
  }
  return false;
}

// From the first zero byte on, every byte becomes the Agat blank.
void ZERO_TO_ASPACE(TVOLNAME& name) {
  auto zero = std::find(name.begin(), name.end(), std::uint8_t{0});
  std::fill(zero, name.end(), AGAT_SPACE);
}

bool ends_with_fil(const std::string& name) {
  if (name.size() < FC_FIL_EXT.size()) return false;
  for (std::size_t i = 0; i < FC_FIL_EXT.size(); ++i) {
    const char c = name[name.size() - FC_FIL_EXT.size() + i];
    const char upper = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    if (upper != FC_FIL_EXT[i]) return false;
  }
  return true;
}

// A ".FIL" file: the header gives name, T/S data and type; the size gives sectors.
bool FIL_PROC(TMEDIA& md, TCATREC& e, const std::string& name, std::int64_t size) {
  e.CATRECT = CRTAGATFILE;
  e.SIZECAT = static_cast<std::int32_t>((size - 40 + 255) / 256);
  e.HID = 0;
  TFILHEADER header;
  bool ok = false;
  // The name was a regular file when it was listed; should something else have taken its
  // place since, the open must still not wait for it (a named pipe without a writer).
  HostFile file;
  if (file.open(md.HOSTPATH + name, false)) {
    std::size_t got = 0;
    ok = file.is_regular() && file.read(&header, sizeof header, got) && got == sizeof header;
  }
  if (!ok) {
    report_warning(std::string("ReadCat: не удалось обратится к файлу "_w) + host_to_cp1251(name));
    return false;
  }
  std::copy(std::begin(header.AGATNAME), std::end(header.AGATNAME), e.AGATNAME.begin());
  std::copy(std::begin(header.TSDATA), std::end(header.TSDATA), e.TSDATA.begin());
  e.EXT = header.EXT;
  return true;
}

void READ_CAT_HOSTFS(TMEDIA& md) {
  md.CAT.CATNUM = 0;
  md.VTOCINVALID = false;

  std::string label = L2A(host_to_cp1251(GETHOSTVOLUMEID(md.HOSTPATH)));
  label.resize(md.VOLUMEID.size(), '\0');
  std::copy(label.begin(), label.end(), md.VOLUMEID.begin());
  ZERO_TO_ASPACE(md.VOLUMEID);

  HostDirectory dir;
  if (!dir.open(md.HOSTPATH)) return;
  // ".." comes first, as the host the listing was made for returns it, so that it stays
  // on top in every sort order and Backspace finds it; the file system gives the other
  // names in no particular order. The root plays the part of a drive root: it has no
  // parent entry.
  if (!is_host_root(md.HOSTPATH)) {
    TCATREC& parent = md.CAT.CATREC[md.CAT.CATNUM];
    parent.CATRECT = CRTHOSTFSDIR;
    parent.AGATNAME = NOT_SET_AGATNAME;
    parent.HOSTNAME = "..";
    parent.PMEDIA = &md;
    INCCATNUM(md);
  }
  HostEntry entry;
  while (dir.next(entry)) {
    const std::string& name = entry.name;
    TCATREC& e = md.CAT.CATREC[md.CAT.CATNUM];
    e.AGATNAME = NOT_SET_AGATNAME;
    e.HOSTNAME = name;
    e.PMEDIA = &md;
    bool listed = false;
    if (entry.kind == HostKind::directory) {
      e.CATRECT = CRTHOSTFSDIR;
      listed = true;
    } else if (ends_with_fil(name) && entry.kind == HostKind::regular) {
      listed = FIL_PROC(md, e, name, static_cast<std::int64_t>(entry.size));
    } else if (entry.kind == HostKind::regular &&
               image_type_of_file(md.HOSTPATH + name, entry.size, e.IMAGET)) {
      e.CATRECT = CRTDISKIMAGE;
      listed = true;
    }
    if (!listed) {
      e = TCATREC{};  // the slot is reused by the next name
      continue;
    }
    if (INCCATNUM(md)) break;
  }
}

void READ_CAT_DOS33(TMEDIA& md) {
  FC_LOADMEDIA(md);
  md.CAT.CATNUM = 0;
  md.VTOCINVALID = true;
  if (!FC_CRITICALERRORBUFFER.empty()) return;

  TCATREC& parent = md.CAT.CATREC[0];
  parent.CATRECT = CRTHOSTFSDIR;
  parent.HOSTNAME = "..";
  parent.PMEDIA = &md;
  md.CAT.CATNUM = 1;

  md.VTOCINVALID =
      DSKAREATEST("Чтение каталога среды: VTOC"_w, FC_CRITICALERRORBUFFER, 17, 0, md) != 0;
  if (md.VTOCINVALID) return;
  const TVTOCSECTOR& vt = as<TVTOCSECTOR>(md.MASS[17][0]);
  // The name without the $8D and zeros that end it, padded with blanks.
  const std::string volume = volume_name(vt);
  md.VOLUMEID.fill(AGAT_SPACE);
  std::copy(volume.begin(), volume.end(), md.VOLUMEID.begin());

  // A chain that loops ends at the entry limit: every sector passed adds seven entries.
  const TSREF first = current_catalog(md);
  std::uint8_t t = first.TR, s = first.SC;
  while (true) {
    if (DSKAREATEST("Чтение каталога среды: каталог"_w, FC_CRITICALERRORBUFFER, t, s, md) != 0)
      return;
    const TCATSECTOR& cs = as<TCATSECTOR>(md.MASS[t][s]);
    // A sub-catalog's first entry leads back to its parent: a catalog whose first entry
    // leads nowhere is the root.
    const TCATREC33& entry0 = cs.CR[0];
    if (first == TSREF{t, s} && !(entry0.TF != 0 && entry0.TF != 0xFF && entry0.E == 0xFF))
      md.known_root = first;
    for (int o = 0; o < 7; ++o) {
      const TCATREC33& entry = cs.CR[o];
      if (entry.TF == 0) return;
      TCATREC& e = md.CAT.CATREC[md.CAT.CATNUM];
      e.CATRECT = entry.E == 0xFF ? CRTBTKDIR : CRTAGATFILE;
      std::copy(std::begin(entry.N), std::end(entry.N), e.AGATNAME.begin());
      e.HOSTNAME = NOT_SET_HOSTNAME;
      e.TTSL = entry.TF;
      e.STSL = entry.SF;
      e.TCAT = t;
      e.SCAT = s;
      e.OCAT = o;
      e.EXT = entry.E;
      e.HID = entry.R;
      e.SIZECAT = entry.L;
      e.PMEDIA = &md;
      if (INCCATNUM(md)) return;
    }
    if (cs.TE == 0) return;
    t = cs.TE;
    s = cs.SE;
  }
}

}  // namespace

const TAGATNAME NOT_SET_AGATNAME = make_not_set();

void FC_READCAT(TMEDIA& MD) {
  // Every entry past the catalog is kept in its initial state: the readers reset a slot they
  // fill but do not list, and a panel's cursor stays inside the catalog (on entry 0 when it
  // is empty). So the entries read last time, the one after them and entry 0 are all that
  // can hold anything; resetting the whole array would cost more than reading the catalog.
  static const TCATREC blank{};
  const std::int32_t used = std::clamp(MD.CAT.CATNUM + 1, 1, MAXCATSIZE + 1);
  for (std::int32_t i = 0; i < used; ++i) MD.CAT.CATREC[i] = blank;
  if (MD.MEDIAT == MDIMAGE) {
    READ_CAT_DOS33(MD);
  } else {
    READ_CAT_HOSTFS(MD);
  }
  MD.FREESPACE = MD.VTOCINVALID ? 0 : FREECALC(MD);
}

std::uint32_t FREECALC(TMEDIA& MD) {
  if (MD.MEDIAT == MDIMAGE) return free_sector_count(MD);
  return GETFREESPACE(MD.HOSTPATH);
}

char FC_FTYPE(std::uint8_t EXT) {
  static constexpr std::string_view AT = "TIABSПКД"_w;
  int bits = 0;
  for (std::uint8_t v = EXT & 0x7F; v != 0; v >>= 1) ++bits;
  return AT[bits];
}

}  // namespace agat
