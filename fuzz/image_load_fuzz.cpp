// Fuzz target: an image file of any of the eleven forms is opened, its catalog read, every
// BTK sub-catalog entered (up to 8 catalogs, 3 on an AIM image), every file of every catalog
// loaded and the information page of every entry made.
//
// Invariants: a loaded file is whole sectors and fits the file buffer; entering a
// sub-catalog changes nothing in the image but the VTOC's pointer to the current catalog
// (of a plain form, nothing in the file but those two bytes: trailer and header stay).
#include <algorithm>
#include <cstring>
#include <memory>
#include <set>
#include <utility>
#include <vector>

#include "content/info_page.h"
#include "core/catalog_sort.h"
#include "core/change_dir.h"
#include "core/file_transfer.h"
#include "core/image_file.h"
#include "core/track_codecs.h"
#include "fuzz_check.h"
#include "image_input.h"
#include "scratch_dir.h"
#include "scratch_image.h"

namespace agat::fuzz {
namespace {

// Every catalog entered saves and reads the image twice: enough for nested sub-catalogs,
// few enough that an input stays well under a second (an AIM image, whose tracks decode
// slowest, gets fewer).
std::size_t max_catalogs(TIMAGET form) {
  return form == ITA800 ? 3 : 8;
}

bool is_plain(TIMAGET form) {
  return !track_codec(form).stream;
}

// Loads every file and makes the information page of every entry.
void load_every_file(TMEDIA& md) {
  static const auto buf = std::make_unique<TFILEBUF>();
  for (int i = 0; i < md.CAT.CATNUM; ++i) {
    TCATREC& e = md.CAT.CATREC[i];
    ObjectInfo info;
    const bool loaded = object_info(e, *buf, info);
    take_messages();
    if (e.CATRECT != CRTAGATFILE || !loaded) continue;
    FUZZ_CHECK(e.SIZE >= 0 && e.SIZE <= MAXFILESIZE + 1 && e.SIZE % 256 == 0, "loaded size");
    TextReport page;
    info_report(page, info);
  }
  md.CAT.SORTMODE = SMNAME;
  FC_SORTCAT(md);
  md.CAT.SORTMODE = SMTYPE;
  FC_SORTCAT(md);
}

// Makes the catalog at T/S current, as entering a sub-catalog does, and checks what the
// save changed.
bool enter(TMEDIA& md, std::uint8_t t, std::uint8_t s) {
  static const auto before = std::make_unique<TDISK>();
  for (int t = 0; t <= md.NUMTR; ++t)
    std::copy_n(md.MASS[t].begin(), md.NUMSC + 1, (*before)[t].begin());
  const Bytes file = read_scratch_file(SCRATCH_IMAGE);
  TCATREC link;
  link.CATRECT = CRTBTKDIR;
  link.PMEDIA = &md;
  link.TTSL = t;
  link.STSL = s;
  FC_CHDIR(link);
  if (!take_messages()) return false;
  FUZZ_CHECK(reread(md) || true, "catalog read");
  auto& vtoc = (*before)[17][0];
  vtoc[1] = t;
  vtoc[2] = s;
  FUZZ_CHECK(std::equal(before->begin(), before->begin() + md.NUMTR + 1, md.MASS.begin(),
                        [&](const TTRACK& a, const TTRACK& b) {
                          return std::memcmp(a.data(), b.data(), (md.NUMSC + 1) * 256u) == 0;
                        }),
             "entering a sub-catalog changed a sector");
  if (is_plain(md.IMAGET)) {
    const Bytes now = read_scratch_file(SCRATCH_IMAGE);
    const std::size_t at = image_header_size(md.IMAGET) + 17u * (md.NUMSC + 1) * 256u;
    FUZZ_CHECK(now.size() == file.size(), "entering a sub-catalog changed the file's size");
    for (std::size_t i = 0; i < now.size(); ++i)
      if (i != at + 1 && i != at + 2) FUZZ_CHECK(now[i] == file[i], "a byte of the file changed");
  }
  return true;
}

void visit(TMEDIA& md, std::set<std::pair<int, int>>& entered) {
  load_every_file(md);
  std::vector<std::pair<std::uint8_t, std::uint8_t>> subs;
  for (int i = 0; i < md.CAT.CATNUM; ++i)
    if (md.CAT.CATREC[i].CATRECT == CRTBTKDIR)
      subs.emplace_back(md.CAT.CATREC[i].TTSL, md.CAT.CATREC[i].STSL);
  const auto& vt = as<TVTOCSECTOR>(md.MASS[17][0]);
  const std::uint8_t here_t = vt.TE, here_s = vt.SE;
  for (const auto& [t, s] : subs) {
    if (entered.size() >= max_catalogs(md.IMAGET) || !entered.insert({t, s}).second) continue;
    if (!enter(md, t, s)) continue;
    visit(md, entered);
    enter(md, here_t, here_s);
  }
}

}  // namespace
}  // namespace agat::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace agat::fuzz;
  agat::TMEDIA* md = open_scratch_image(decode_image_input({data, size}));
  if (md == nullptr || md->VTOCINVALID) return 0;
  const auto& vt = agat::as<agat::TVTOCSECTOR>(md->MASS[17][0]);
  std::set<std::pair<int, int>> entered{{vt.TE, vt.SE}};
  visit(*md, entered);
  return 0;
}
