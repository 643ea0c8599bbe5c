#include "core/change_dir.h"

#include <algorithm>

#include "core/chain_guard.h"
#include "core/cp1251_literal.h"
#include "core/current_catalog.h"
#include "core/file_control_messages.h"
#include "core/host_fs.h"
#include "core/host_paths.h"
#include "core/image_file.h"
#include "core/vtoc.h"
#include "core/vtoc_soundness.h"

namespace agat {

std::string parent_host_path(const std::string& path) {
  if (path.size() < 2 || is_host_root(path)) return path;
  const std::size_t start = host_name_start(std::string_view(path).substr(0, path.size() - 1));
  if (start == 0) return path;
  return path.substr(0, start);
}

namespace {

constexpr std::string_view kNewCatalog = "Переход в BTK-каталог: новый каталог"_w;

// A catalog sector links on the medium, and each entry up to the first never used is
// deleted or names a track of the medium. The VTOC and its extension sectors are none.
bool shaped_like_catalog(const TMEDIA& md, TSREF at) {
  const TCATSECTOR& cs = as<TCATSECTOR>(md.MASS[at.TR][at.SC]);
  if (is_map_sector(md, at.TR, at.SC) || !FC_IS_RANGEOK(md, cs.TE, cs.SE)) return false;
  for (const TCATREC33& e : cs.CR) {
    if (e.TF == 0) break;
    if (e.TF != 0xFF && e.TF > md.NUMTR) return false;
  }
  return true;
}

// A catalog can be shown when its first sector looks like one and its chain, as far as the
// catalog read follows it (to the first entry never used), is on the medium, reads and
// does not loop; otherwise a message.
bool catalog_can_be_shown(TMEDIA& md, TSREF first) {
  ChainGuard guard;
  for (TSREF at = first;;) {
    if (DSKAREATEST(kNewCatalog, FC_CRITICALERRORBUFFER, at.TR, at.SC, md) != 0 ||
        !guard.visit(at.TR, at.SC, kNewCatalog, FC_CRITICALERRORBUFFER))
      return false;
    if (at == first && !shaped_like_catalog(md, at)) {
      report_critical(std::string(kNewCatalog) + std::string(": сектор "_w) +
                      std::to_string(at.TR) + "/" + std::to_string(at.SC) +
                      std::string(" не похож на сектор каталога"_w));
      return false;
    }
    const TCATSECTOR& cs = as<TCATSECTOR>(md.MASS[at.TR][at.SC]);
    const bool ends = std::any_of(std::begin(cs.CR), std::end(cs.CR),
                                  [](const TCATREC33& e) { return e.TF == 0; });
    if (ends || cs.TE == 0) return true;
    at = {cs.TE, cs.SE};
  }
}

bool leads_to(const TCATREC33& e, TSREF to) {
  return e.TF != 0 && e.TF != 0xFF && e.E == 0xFF && TSREF{e.TF, e.SF} == to;
}

// Whether a sub-catalog entry of the catalog from `first` leads to `to`: the catalog the
// image came from holds the entry of the one it left. Quiet; a bad sector ends the search.
bool holds_entry_of(TMEDIA& md, TSREF first, TSREF to) {
  ChainGuard chain;
  mark_catalog_chain(md, first, chain);
  ChainGuard guard;
  std::string quiet;
  for (TSREF at = first;
       at.TR != 0 && chain.seen(at.TR, at.SC) && guard.visit(at.TR, at.SC, {}, quiet);) {
    const TCATSECTOR& cs = as<TCATSECTOR>(md.MASS[at.TR][at.SC]);
    if (std::any_of(std::begin(cs.CR), std::end(cs.CR),
                    [&](const TCATREC33& e) { return leads_to(e, to); }))
      return true;
    at = {cs.TE, cs.SE};
  }
  return false;
}

// Entering the catalog that entry `cr` leads to. The first entry of the current catalog is
// the way back when the catalog it leads to holds the entry of this one: that is the
// catalog the image came from, and it may always be entered again, whatever its entries
// look like (one bad entry must not shut the user out of the root). Any other catalog is a
// sub-catalog, entered only when its first entry leads back here: an entry of type $FF
// that leads anywhere else would lose the way back.
bool catalog_can_be_entered(TMEDIA& md, const TCATREC& cr) {
  const TSREF here = current_catalog(md), target{cr.TTSL, cr.STSL};
  if (TSREF{cr.TCAT, cr.SCAT} == here && cr.OCAT == 0 && md.known_root != here) {
    if (DSKAREATEST(kNewCatalog, FC_CRITICALERRORBUFFER, target.TR, target.SC, md) != 0)
      return false;
    if (holds_entry_of(md, target, here)) return true;
  }
  if (!catalog_can_be_shown(md, target)) return false;
  if (!leads_to(as<TCATSECTOR>(md.MASS[target.TR][target.SC]).CR[0], here)) {
    report_critical(std::string(kNewCatalog) + std::string(": первая запись сектора "_w) +
                    std::to_string(target.TR) + "/" + std::to_string(target.SC) +
                    std::string(" не ведёт обратно в текущий каталог"_w));
    return false;
  }
  return true;
}

void BTK(TCATREC& cr, TMEDIA& md) {
  const TSREF target{cr.TTSL, cr.STSL};
  if (!require_sound_vtoc(md, "Переход в BTK-каталог"_w) || !catalog_can_be_entered(md, cr)) return;
  TVTOCSECTOR& vt = as<TVTOCSECTOR>(md.MASS[17][0]);
  vt.TE = target.TR;
  vt.SE = target.SC;
  const std::size_t messages = FC_CRITICALERRORBUFFER.size();
  FC_SAVEMEDIA(md, false);
  if (FC_CRITICALERRORBUFFER.size() == messages) md.held_catalog.reset();
}

}  // namespace

bool catalog_change_can_be_saved(const TMEDIA& MD) {
  return host_file_writable(MD.HOSTPATH + MD.IMAGENAME) && vtoc_is_sound(MD);
}

void enter_sub_catalog_in_memory(TCATREC& CR) {
  if (CR.PMEDIA == nullptr || CR.PMEDIA->MEDIAT != MDIMAGE || CR.CATRECT != CRTBTKDIR) return;
  if (catalog_can_be_entered(*CR.PMEDIA, CR)) CR.PMEDIA->held_catalog = TSREF{CR.TTSL, CR.STSL};
}

void FC_CHDIR(TCATREC& CR) {
  if (CR.PMEDIA == nullptr) return;
  TMEDIA& md = *CR.PMEDIA;
  // What the medium knew of an image holds for that image only.
  if (CR.CATRECT == CRTDISKIMAGE || (md.MEDIAT == MDIMAGE && CR.CATRECT == CRTHOSTFSDIR)) {
    md.held_catalog.reset();
    md.known_root.reset();
  }
  if (md.MEDIAT == MDIMAGE) {
    if (CR.CATRECT == CRTHOSTFSDIR) {
      md.MEDIAT = MDHOSTFS;  // back in the directory that holds the image
    } else if (CR.CATRECT == CRTBTKDIR) {
      BTK(CR, md);
    }
    return;
  }
  switch (CR.CATRECT) {
    case CRTHOSTFSDIR:
      md.HOSTPATH = CR.HOSTNAME == ".." ? parent_host_path(md.HOSTPATH)
                                        : md.HOSTPATH + CR.HOSTNAME + HOST_SEPARATOR;
      break;
    case CRTDISKIMAGE:
      md.MEDIAT = MDIMAGE;
      md.IMAGENAME = CR.HOSTNAME;
      set_geometry(md, CR.IMAGET);
      break;
    default:
      break;
  }
}

}  // namespace agat
