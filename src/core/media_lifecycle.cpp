#include "core/media_lifecycle.h"

#include <string>
#include <vector>

#include "core/chain_guard.h"
#include "core/cp1251_literal.h"
#include "core/current_catalog.h"
#include "core/dos_sectors.h"
#include "core/file_control_messages.h"
#include "core/host_paths.h"
#include "core/image_file.h"
#include "core/volume_name.h"
#include "core/vtoc.h"
#include "core/vtoc_soundness.h"

namespace agat {

void FC_NEWMEDIA(TMEDIA& MD) {
  MD.MEDIAT = MDHOSTFS;
  MD.HOSTPATH = host_current_directory();
}

namespace {

void fill_map(std::uint8_t (*map)[4], int count, int first_track, int last_track,
              std::uint32_t mask) {
  for (int i = 0; i < count; ++i) put_le32(map[i], first_track + i <= last_track ? mask : 0);
}

}  // namespace

void FC_INITMEDIA(TMEDIA& MD, const NewImageSystem& SYSTEM) {
  if (MD.MEDIAT != MDIMAGE) return;
  if (MD.IMAGET >= IMAGE_TYPE_COUNT || !IMAGEDESC[MD.IMAGET].creatable) return;
  set_geometry(MD, MD.IMAGET);
  std::uint32_t mask = 0;
  for (std::uint32_t bit : *MD.VTOCMASKS) mask |= bit;

  for (auto& track : MD.MASS)
    for (auto& sector : track) sector.fill(UNREAD_FILL);

  MD.MASS[17][0].fill(0);
  TVTOCSECTOR& vt = as<TVTOCSECTOR>(MD.MASS[17][0]);
  vt.TE = 17;
  vt.SE = 1;
  vt.VOLNUM = 254;
  set_volume_name(vt, "");
  vt.TSPAIRNUM = 122;
  vt.NEXTAVAILTR = 17;
  vt.DIRECTTOTR = 0xFF;
  vt.TRNUM = MD.NUMTR + 1;
  vt.SCNUM = MD.NUMSC + 1;
  put_le16(vt.BTNUM, 256);
  // Track 0 is never free; masks above the last track stay zero.
  fill_map(vt.MAP + 1, 49, 1, MD.NUMTR, mask);

  GETSECT(MD, 17, 0);
  MD.MASS[17][1].fill(0);
  GETSECT(MD, 17, 1);

  if (MD.NUMTR >= 50) {
    MD.MASS[50][0].fill(0);
    fill_map(as<TVTOCESECTOR>(MD.MASS[50][0]).MAP, 64, 50, MD.NUMTR, mask);
    GETSECT(MD, 50, 0);
  }
  if (MD.NUMTR >= 114) {
    MD.MASS[114][0].fill(0);
    fill_map(as<TVTOCESECTOR>(MD.MASS[114][0]).MAP, 64, 114, MD.NUMTR, mask);
    GETSECT(MD, 114, 0);
  }
  if (SYSTEM.MASTER != nullptr) {
    if (!copy_dos(*SYSTEM.MASTER, MD, "Создание загрузочного образа"_w)) return;
    set_volume_name(vt, volume_name(as<TVTOCSECTOR>(SYSTEM.MASTER->MASS[17][0])));
  }
  if (SYSTEM.VOLUME) set_volume_name(vt, *SYSTEM.VOLUME);
  FC_SAVEMEDIA(MD, true);
}

void FC_CLEANMEDIA(TMEDIA& MD) {
  if (MD.MEDIAT != MDIMAGE || !require_sound_vtoc(MD, "Очистка среды"_w)) return;
  const std::string_view prefix = "Очистка среды: каталог"_w;

  // Walk the whole chain first: a sector off the medium, an unreadable one or a loop
  // stops the cleaning before anything has changed.
  struct Place {
    std::uint8_t tr, sc;
  };
  std::vector<Place> chain;
  ChainGuard guard;
  std::uint8_t tr = current_catalog(MD).TR, sc = current_catalog(MD).SC;
  while (true) {
    if (DSKAREATEST(prefix, FC_CRITICALERRORBUFFER, tr, sc, MD) != 0) return;
    if (!guard.visit(tr, sc, prefix, FC_CRITICALERRORBUFFER)) return;
    chain.push_back({tr, sc});
    const TCATSECTOR& cs = as<TCATSECTOR>(MD.MASS[tr][sc]);
    if (cs.TE == 0) break;
    tr = cs.TE;
    sc = cs.SE;
  }

  std::size_t last = 0;
  for (std::size_t i = 0; i < chain.size(); ++i) {
    TCATSECTOR& cs = as<TCATSECTOR>(MD.MASS[chain[i].tr][chain[i].sc]);
    for (TCATREC33& entry : cs.CR) {
      if (entry.TF == 0 || entry.TF == 0xFF) {
        auto* bytes = reinterpret_cast<std::uint8_t*>(&entry);
        std::fill(bytes + 1, bytes + sizeof(TCATREC33), std::uint8_t{0});
      } else {
        last = i;
      }
    }
  }

  // Cut the chain after the last sector with a live entry and free what follows.
  for (std::size_t i = last; i < chain.size(); ++i) {
    TCATSECTOR& cs = as<TCATSECTOR>(MD.MASS[chain[i].tr][chain[i].sc]);
    if (i > last) FREESECT(MD, chain[i].tr, chain[i].sc);
    cs.TE = 0;
    cs.SE = 0;
  }

  ChainGuard kept;
  for (std::size_t i = 0; i <= last; ++i)
    kept.visit(chain[i].tr, chain[i].sc, {}, FC_WARNINGBUFFER);

  // Wipe the free sectors. The map sectors and the catalog that stays are in use
  // whatever a damaged VTOC says, and are never wiped.
  for (int t = 0; t <= MD.NUMTR; ++t) {
    for (int s = 0; s <= MD.NUMSC; ++s) {
      const auto tr8 = static_cast<std::uint8_t>(t), sc8 = static_cast<std::uint8_t>(s);
      const bool map_sector = s == 0 && (t == 17 || t == 50 || t == 114);
      const bool kept_catalog = kept.seen(tr8, sc8);
      if (!map_sector && !kept_catalog && FC_IS_SECFREE(MD, tr8, sc8))
        MD.MASS[t][s].fill(UNREAD_FILL);
    }
  }
  FC_SAVEMEDIA(MD, false);
}

}  // namespace agat
