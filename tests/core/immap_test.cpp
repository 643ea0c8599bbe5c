// The image map: references and roles on sound images, the VTOC check, damage of every
// kind, walks that must end, lost T/S lists, and the catalog entry made for one.
#include "core/immap.h"

#include <gtest/gtest.h>

#include <numeric>

#include "core/immap_summary.h"
#include "support/map_test.h"

namespace agat {
namespace {

using testing::agat_name;
using testing::name_text;

class ImmapTest : public testing::MapTest {
 protected:
  TTSLSECTOR& list(const TCATREC& e) { return as<TTSLSECTOR>(sector(e.TTSL, e.STSL)); }
  static const T_IMMSECTORDESC& at(int t, int s) { return SCMP[t][s]; }
};

// A sound image of either size: every sector used in the VTOC has references and every
// free one none; the roles and names are those of the files; a BTK sub-catalog is a
// catalog referred to from the sector that holds its entry; nothing is damage.
TEST_F(ImmapTest, SoundImagesOfBothSizes) {
  for (const TIMAGET type : {ITI140, ITI800}) {
    make(type);
    const TCATREC big = save("BIG", 130 * 256);  // two T/S lists
    FC_MAKEDIR(*md, agat_name("SUB"));
    reload();
    const TCATREC sub = entry("SUB");
    const TIMMSUMMARY sum = scan();
    EXPECT_TRUE(faults.empty());
    EXPECT_FALSE(sum.DAMAGED);
    EXPECT_EQ(sum.BYROLE, (std::array<std::int32_t, 4>{type == ITI800 ? 3 : 1, 3, 2, 130}));
    for (int t : {17, 50, 114}) {
      if (t > md->NUMTR) continue;
      EXPECT_EQ(at(t, 0).LINKSCNT, 1) << t;
      EXPECT_EQ(at(t, 0).LINKSFROM[0].LF_FORMAT, IMMVTOC) << t;
    }
    for (int t = 1; t <= md->NUMTR; ++t)
      for (int s = 0; s <= md->NUMSC; ++s)
        ASSERT_EQ(at(t, s).LINKSCNT == 0, at(t, s).ISFREE) << t << "/" << s;
    const TIMMLINK& to_sub = at(sub.TTSL, sub.STSL).LINKSFROM[0];
    EXPECT_EQ(std::tuple(to_sub.LF_FORMAT, to_sub.LF_T, to_sub.LF_S), std::tuple(IMMCAT, 17, 1));
    const T_IMMSECTORDESC& head = at(big.TTSL, big.STSL);
    EXPECT_EQ(std::tuple(head.LINKSFROM[0].LF_FORMAT, name_text(head.LINKSFROM[0].LF_FNAME)),
              std::tuple(IMMTSLIST, std::string("BIG")));
    EXPECT_EQ(std::tuple(head.EXTTOTR, head.EXTTOSC), std::tuple(list(big).TE, list(big).SE));
  }
}

// Every field check in its order, and free-sector masks with bits that no sector has,
// charged to the map sector that holds them.
TEST_F(ImmapTest, VtocFaults) {
  make(ITI800);
  TVTOCSECTOR& vt = as<TVTOCSECTOR>(sector(17, 0));
  std::fill(vt.VOLNAME, vt.VOLNAME + 31, 0x8D);
  vt.VOLNUM = 0, vt.TSPAIRNUM = 0x7B, vt.NEXTAVAILTR = 160, vt.DIRECTTOTR = 2;
  vt.TRNUM = 35, vt.SCNUM = 16, vt.BTNUM[1] = 2;
  vt.MAP[5][2] |= 0x04;               // sector bits of track 5 beyond sector 20
  sector(50, 0)[4 * 10 + 3] = 0x01;   // track 60
  sector(114, 0)[4 * 45 + 2] = 0x01;  // track 159
  scan();
  std::vector<int> seen;
  for (const TVTOCFAULT& f : faults)
    seen.push_back(f.KIND == TVTOCFAULT::FIELD ? f.OFFS : 1000 + f.TRACK);
  EXPECT_EQ(seen,
            (std::vector<int>{0x06, 0x08, 0x27, 0x30, 0x31, 0x34, 0x35, 0x36, 1005, 1060, 1159}));
  EXPECT_EQ(std::tuple(at(17, 0).INTBUGOFFS, at(50, 0).INTBUGOFFS, at(114, 0).INTBUGOFFS),
            std::tuple(56 + 20, 40, 180));
}

// Damage: a catalog chain that comes back to its start, an entry off the disk (its file
// is lost, and a list whose first pair is 0/0 does not lead to it), a data sector shared
// by two files, used while free in the VTOC, an unreadable data sector in use.
TEST_F(ImmapTest, DamageIsFlagged) {
  make();
  const TCATREC a = save("A", 256), b = save("B", 2 * 256), c = save("C", 256),
                d = save("D", 2 * 256);
  std::uint8_t t, s;
  ASSERT_TRUE(NEWSECT(*md, t, s));
  sector(t, s).fill(0);
  TCATSECTOR& first = as<TCATSECTOR>(sector(17, 1));
  TCATSECTOR& second = as<TCATSECTOR>(sector(t, s));
  first.TE = t, first.SE = s, second.TE = 17, second.SE = 1;
  for (auto& e : second.CR) e = first.CR[0];  // seven more entries for A's list
  first.CR[1].SF = 16;
  list(c).TSL[0][0] = list(c).TSL[0][1] = 0;
  list(c).TE = b.TTSL, list(c).SE = b.STSL;
  std::copy(list(a).TSL[0], list(a).TSL[0] + 2, list(d).TSL[1]);
  FREESECT(*md, list(a).TSL[0][0], list(a).TSL[0][1]);
  sector(list(d).TSL[0][0], list(d).TSL[0][1]).fill(UNREAD_FILL);
  const TIMMSUMMARY sum = scan();
  EXPECT_EQ(std::tuple(at(17, 1).LINKSCNT, at(t, s).EXTTOTR, at(t, s).EXTTOSC),
            std::tuple(1, 17, 1));
  EXPECT_EQ(std::tuple(at(17, 1).ERRSELF, at(17, 1).INTBUGOFFS), std::tuple(true, 11 + 35));
  const T_IMMSECTORDESC& shared = at(list(a).TSL[0][0], list(a).TSL[0][1]);
  EXPECT_EQ(std::tuple(at(a.TTSL, a.STSL).LINKSCNT, shared.LINKSCNT,
                       name_text(shared.LINKSFROM[0].LF_FNAME),
                       name_text(shared.LINKSFROM[1].LF_FNAME), at(c.TTSL, c.STSL).ISFREETSLIST),
            std::tuple(8, 9, "A", "D", true));
  // C's first list has a hole where its first pair was and links on to B's list, which the
  // walk follows: B's sectors (whose entry points off the disk) are C's now, not an orphan.
  EXPECT_EQ(
      std::tuple(at(b.TTSL, b.STSL).LINKSCNT, name_text(at(b.TTSL, b.STSL).LINKSFROM[0].LF_FNAME),
                 at(list(b).TSL[1][0], list(b).TSL[1][1]).LINKSCNT, sum.ORPHANS.size()),
      std::tuple(1, "C", 1, 0u));
  // Shared: A's list and its data sector.
  EXPECT_EQ(
      std::tuple(sum.USED_BUT_FREE.size(), sum.UNREADABLE.size(), sum.SHARED.size(), sum.DAMAGED),
      std::tuple(1u, 1u, 2u, true));
}

// Each way a file's chain leaves the disk is damage, charged to the list that holds the bad
// reference, while the rest of the list is still the file's: a data pair off the disk, a
// last list whose link leaves the disk, an entry that leads to a sector that is no list.
TEST_F(ImmapTest, ChainsLeavingTheDiskAreDamage) {
  struct Case {
    const char* what;
    int offs;           // the fault in the list: -1 none
    bool link_off;      // the link of the list leaves the disk
    int data_recorded;  // references recorded for the file's second data sector
  };
  for (const Case& c :
       {Case{"data pair off the disk", 12, false, 1}, Case{"link off the disk", -1, true, 1},
        Case{"no list at all", 0, false, 0}}) {
    make();
    const TCATREC f = save("F", 3 * 256);
    TTSLSECTOR& l = list(f);
    const TSREF second{l.TSL[1][0], l.TSL[1][1]};
    if (c.offs == 12) l.TSL[0][0] = 40;
    if (c.link_off) l.TE = 40;
    if (c.offs == 0) l.R = 0x55;
    const TIMMSUMMARY sum = scan();
    const T_IMMSECTORDESC& d = at(f.TTSL, f.STSL);
    EXPECT_EQ(std::tuple(d.LINKSCNT, d.ERRSELF, c.offs < 0 || d.INTBUGOFFS == c.offs, d.ERRFROM,
                         at(second.TR, second.SC).LINKSCNT, sum.DAMAGED),
              std::tuple(1, c.offs >= 0, true, c.link_off, c.data_recorded, true))
        << c.what;
  }
}

// Walks end on any image: a catalog chain whose sectors hold 16 references of other roles
// (the first 16 are kept) before the chain reaches them, a T/S list that names itself,
// images of random bytes, an image that cannot be read at all.
TEST_F(ImmapTest, EveryWalkEnds) {
  make();
  const TCATREC a = save("A", 256);
  for (auto& pair : list(a).TSL) pair[0] = 17, pair[1] = 2;  // 122 data references to 17/2
  list(a).TE = a.TTSL, list(a).SE = a.STSL;
  as<TCATSECTOR>(sector(17, 1)).TE = 17, as<TCATSECTOR>(sector(17, 1)).SE = 2;
  sector(17, 2).fill(0);
  as<TCATSECTOR>(sector(17, 2)).TE = 17, as<TCATSECTOR>(sector(17, 2)).SE = 2;
  scan();
  EXPECT_EQ(std::tuple(at(17, 2).LINKSCNT, at(17, 2).LINKSFROM[15].LF_FORMAT),
            std::tuple(16, IMMDATA));
  EXPECT_EQ(at(a.TTSL, a.STSL).LINKSCNT, 16);

  for (unsigned seed = 1; seed <= 8; ++seed) {
    for (auto& track : md->MASS)
      track = testing::random_track(seed * 1000 + (&track - md->MASS.data()));
    if (seed % 2 == 0) sector(17, 0)[1] = 17, sector(17, 0)[2] = 1;  // reach the random catalog
    scan();
  }
  for (auto& track : md->MASS) track.fill(testing::kUnread);
  const TIMMSUMMARY sum = scan();
  EXPECT_EQ(std::tuple(faults.size(), sum.UNREADABLE.size(), sum.UNREADABLE_UNUSED, sum.DAMAGED),
            std::tuple(7u, 1u, 0, true));
}

// A deleted file's T/S chain, moved to 18/15, is one lost file with its second list and
// its data; the entry made for it is named after the place and takes its sectors, even
// under a VTOC full of faults. A full catalog and a list that has a reference are refused
// with nothing changed.
TEST_F(ImmapTest, BuildFileFromALostList) {
  make();
  for (int i = 0; i < 130 * 256; ++i) buf[i] = static_cast<std::uint8_t>(i * 7);
  const TCATREC f = save("F", 130 * 256);
  const auto data = std::vector<std::uint8_t>(buf.begin(), buf.begin() + 130 * 256);
  FC_DELETE(entry("F"));
  reload();
  sector(18, 15) = sector(f.TTSL, f.STSL);
  sector(f.TTSL, f.STSL).fill(UNREAD_FILL);
  TVTOCSECTOR& vt = as<TVTOCSECTOR>(sector(17, 0));
  vt.VOLNUM = 0, vt.TRNUM = 99, vt.NEXTAVAILTR = 200, vt.MAP[3][3] = 1;
  store();
  const std::uint32_t free_before = md->FREESPACE;
  TIMMSUMMARY sum = scan();
  ASSERT_EQ(sum.ORPHANS.size(), 1u);
  EXPECT_EQ(std::tuple(sum.ORPHANS[0].AT.T, sum.ORPHANS[0].AT.S, sum.ORPHANS[0].LISTS.size(),
                       sum.ORPHANS[0].DATA.size()),
            std::tuple(18, 15, 1u, 130u));
  FLASHSEARCH(*md, 18, 15);
  EXPECT_EQ(std::accumulate(SCMP.begin(), SCMP.end(), 0,
                            [](int n, const auto& track) {
                              return n + std::count_if(track.begin(), track.end(),
                                                       [](auto& d) { return d.ISFLASH; });
                            }),
            132);

  TCATSECTOR& cat = as<TCATSECTOR>(sector(17, 1));
  const TCATSECTOR old = cat;
  for (auto& e : cat.CR) e.TF = 5;
  const auto image = image_bytes();
  EXPECT_FALSE(BUILDFILE(*md, 18, 15));
  EXPECT_NE(testing::take_critical_text().find("в каталоге нет свободной записи"),
            std::string::npos);
  EXPECT_EQ(image_bytes(), image);
  cat = old;

  EXPECT_TRUE(BUILDFILE(*md, 18, 15) && FC_CRITICALERRORBUFFER.empty());
  reload();
  const TCATREC& e = entry("  18   15");
  EXPECT_EQ(std::tuple(e.AGATNAME, e.EXT, e.SIZECAT, md->FREESPACE),
            std::tuple(agat_name("  18   15"), 0, 0, free_before - 132));
  FC_LOAD(md->CAT.CATREC[&e - md->CAT.CATREC.data()], buf);
  EXPECT_EQ(std::vector<std::uint8_t>(buf.begin(), buf.begin() + e.SIZE), data);
  sum = scan();
  EXPECT_TRUE(sum.ORPHANS.empty() && sum.USED_BUT_FREE.empty());
  EXPECT_FALSE(BUILDFILE(*md, 18, 15));
  EXPECT_NE(testing::take_critical_text().find("на T/S-список 18/15 уже есть ссылка"),
            std::string::npos);

  // A hole in the first list does not end the file: its second list is the file's too, and
  // an entry for it would share its sectors.
  TTSLSECTOR& first = as<TTSLSECTOR>(sector(18, 15));
  first.TSL[5][0] = first.TSL[5][1] = 0;
  const std::uint8_t nt = first.TE, ns = first.SE;
  store();
  scan();
  const auto kept = image_bytes();
  EXPECT_FALSE(BUILDFILE(*md, nt, ns));
  EXPECT_NE(testing::take_critical_text().find("уже есть ссылка"), std::string::npos);
  EXPECT_EQ(image_bytes(), kept);
}

}  // namespace
}  // namespace agat
