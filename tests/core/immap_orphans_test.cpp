// Lost chains: what kind each is and which is damage, the first list of a chain as the
// place TAB finds and the only one to recover from, and a deleted file coming back under
// its own name.
#include <gtest/gtest.h>

#include "core/immap.h"
#include "core/immap_summary.h"
#include "support/image_test.h"

namespace agat {
namespace {

using testing::take_critical_text;

class ImmapOrphans : public testing::ImageTest {
 protected:
  TVTOCFAULTS faults;
  TIMMSUMMARY scan() {
    SCANMAP(*md, faults);
    return summarise_map(*md, faults);
  }
  TSECTOR& sector(int t, int s) { return md->MASS[t][s]; }
  TCATREC33& raw(const TCATREC& e) { return as<TCATSECTOR>(sector(e.TCAT, e.SCAT)).CR[e.OCAT]; }
  const TIMMORPHAN* orphan_at(const TIMMSUMMARY& sum, int t, int s) {
    for (const TIMMORPHAN& o : sum.ORPHANS)
      if (o.AT.T == t && o.AT.S == s) return &o;
    return nullptr;
  }
};

// A file whose entry is gone while its sectors are held is damage; a deleted file that its
// entry still reaches, and a list nothing reaches in free sectors, are not. Only the first
// list of each chain is marked for TAB, also when a further list lies earlier on the disk.
TEST_F(ImmapOrphans, OrphanKindsAndWhatIsDamage) {
  make();
  const TCATREC lost = save("LOST", 600), del = save("DEL", 600), stale = save("STALE", 600);
  const TCATREC big = save("BIG", 130 * 256);  // two T/S lists
  for (const char* name : {"DEL", "STALE", "BIG"}) {
    FC_DELETE(entry(name));
    reload();
  }
  raw(stale).N[29] = 0;                      // its entry leads nowhere any more
  raw(lost).TF = 0xFF, raw(lost).N[29] = 0;  // gone, its sectors still held
  // BIG's first list moves to the end of the disk, its second to track 1.
  TTSLSECTOR& first = as<TTSLSECTOR>(sector(big.TTSL, big.STSL));
  sector(1, 0) = sector(first.TE, first.SE);
  sector(first.TE, first.SE).fill(0);
  first.TE = 1, first.SE = 0;
  sector(34, 15) = sector(big.TTSL, big.STSL);
  sector(big.TTSL, big.STSL).fill(0);
  raw(big).N[29] = 34, raw(big).SF = 15;
  store();

  TIMMSUMMARY sum = scan();
  const struct {
    int t, s;
    TORPHANKIND kind;
    bool entry;
  } cases[] = {{lost.TTSL, lost.STSL, ORPHAN_LOST, false},
               {del.TTSL, del.STSL, ORPHAN_DELETED, true},
               {stale.TTSL, stale.STSL, ORPHAN_STALE, false},
               {34, 15, ORPHAN_DELETED, true}};
  EXPECT_EQ(sum.ORPHANS.size(), 4u);
  for (const auto& c : cases) {
    const TIMMORPHAN* o = orphan_at(sum, c.t, c.s);
    ASSERT_NE(o, nullptr) << c.t << "/" << c.s;
    EXPECT_EQ(std::tuple(o->KIND, o->OCAT >= 0, SCMP[c.t][c.s].ISORPHANHEAD),
              std::tuple(c.kind, c.entry, true))
        << c.t << "/" << c.s;
  }
  EXPECT_EQ(std::tuple(orphan_at(sum, 34, 15)->LISTS.size(), SCMP[1][0].ISORPHANHEAD,
                       SCMP[1][0].ISTSLIST),
            std::tuple(1u, false, true));
  EXPECT_TRUE(sum.DAMAGED);

  raw(lost).TF = lost.TTSL;  // the lost file has its entry again
  store();
  sum = scan();
  EXPECT_EQ(std::tuple(sum.ORPHANS.size(), sum.DAMAGED, SCMP[lost.TTSL][lost.STSL].ISORPHANHEAD),
            std::tuple(3u, false, false));

  // Recovery starts at the first list only; there, the deleted entry comes back with its
  // name (a blank where deletion kept the track) and the whole file.
  const auto before = image_bytes();
  EXPECT_FALSE(BUILDFILE(*md, 1, 0));
  EXPECT_NE(take_critical_text().find("T/S-список 1/0 продолжает цепочку брошенного T/S-списка "
                                      "34/15"),
            std::string::npos);
  EXPECT_EQ(image_bytes(), before);
  EXPECT_TRUE(BUILDFILE(*md, 34, 15));
  EXPECT_EQ(take_critical_text(), "");
  reload();
  const TCATREC& back = entry("BIG");
  EXPECT_EQ(std::tuple(back.TTSL, back.STSL, back.OCAT, md->CAT.CATNUM),
            std::tuple(34, 15, big.OCAT, 5));  // "..", four files, no new entry
  FC_LOAD(md->CAT.CATREC[&back - md->CAT.CATREC.data()], buf);
  EXPECT_EQ(std::tuple(take_critical_text(), back.SIZE > 0), std::tuple("", true));
  sum = scan();
  EXPECT_EQ(std::tuple(sum.ORPHANS.size(), sum.DAMAGED, sum.USED_BUT_FREE.size()),
            std::tuple(2u, false, 0u));
}

}  // namespace
}  // namespace agat
