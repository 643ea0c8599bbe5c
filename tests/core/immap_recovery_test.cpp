// Lost chains: their kinds and which is damage, the first list of a chain as the one place
// TAB finds and recovery starts from, a deleted file coming back under its own name, chains
// that share a sector refused (and a list on track 0, which no entry can name), and the entry
// a new file takes.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "core/immap.h"
#include "core/immap_summary.h"
#include "support/map_test.h"

namespace agat {
namespace {

using testing::take_critical_text;

class ImmapRecovery : public testing::MapTest {
 protected:
  TCATREC33& raw(const TCATREC& e) { return as<TCATSECTOR>(sector(e.TCAT, e.SCAT)).CR[e.OCAT]; }
  // A T/S list at t/s naming the data sectors given.
  void lay_list(int t, int s, std::initializer_list<std::pair<int, int>> data) {
    sector(t, s).fill(0);
    int j = 12;
    for (const auto& [dt, ds] : data)
      sector(t, s)[j++] = static_cast<std::uint8_t>(dt),
                sector(t, s)[j++] = static_cast<std::uint8_t>(ds);
  }
  // BUILDFILE at t/s: refused with `why` in its message and the file unchanged, or done.
  void build(int t, int s, const std::string& why) {
    const auto before = image_bytes();
    EXPECT_EQ(BUILDFILE(*md, t, s), why.empty()) << why;
    const std::string message = take_critical_text();
    EXPECT_TRUE(why.empty() ? message.empty() : message.find(why) != std::string::npos) << message;
    if (!why.empty()) {
      EXPECT_EQ(image_bytes(), before) << why;
    }
    reload();
  }
};

// Only a file whose entry is gone while its sectors are held is damage; a deleted file its
// entry still reaches and a stale list are not. BIG's second list, moved before its first,
// is neither marked for TAB nor recovered from; its first list brings BIG back by undelete.
TEST_F(ImmapRecovery, KindsFirstListsAndUndelete) {
  make();
  const TCATREC lost = save("LOST", 600), del = save("DEL", 600), stale = save("STALE", 600);
  const TCATREC big = save("BIG", 130 * 256);
  for (const char* name : {"DEL", "STALE", "BIG"}) FC_DELETE(entry(name)), reload();
  raw(stale).N[29] = 0;                      // its entry leads nowhere any more
  raw(lost).TF = 0xFF, raw(lost).N[29] = 0;  // gone, its sectors still held
  TTSLSECTOR& first = as<TTSLSECTOR>(sector(big.TTSL, big.STSL));
  sector(1, 0) = sector(first.TE, first.SE), sector(first.TE, first.SE).fill(0);
  first.TE = 1, first.SE = 0;
  sector(34, 15) = sector(big.TTSL, big.STSL), sector(big.TTSL, big.STSL).fill(0);
  raw(big).N[29] = 34, raw(big).SF = 15;
  store();
  TIMMSUMMARY sum = scan();
  std::map<std::pair<int, int>, std::tuple<TORPHANKIND, bool, std::size_t>> found;
  for (const TIMMORPHAN& o : sum.ORPHANS)
    if (SCMP[o.AT.T][o.AT.S].ISORPHANHEAD)
      found[{o.AT.T, o.AT.S}] = {o.KIND, o.OCAT >= 0, o.LISTS.size()};
  EXPECT_EQ(found, (std::map<std::pair<int, int>, std::tuple<TORPHANKIND, bool, std::size_t>>{
                       {{lost.TTSL, lost.STSL}, {ORPHAN_LOST, false, 0}},
                       {{del.TTSL, del.STSL}, {ORPHAN_DELETED, true, 0}},
                       {{stale.TTSL, stale.STSL}, {ORPHAN_STALE, false, 0}},
                       {{34, 15}, {ORPHAN_DELETED, true, 1}}}));
  EXPECT_EQ(std::tuple(sum.DAMAGED, SCMP[1][0].ISORPHANHEAD), std::tuple(true, false));
  raw(lost).TF = lost.TTSL;  // the lost file has its entry again
  store();
  EXPECT_FALSE(scan().DAMAGED);

  build(1, 0, "T/S-список 1/0 продолжает цепочку брошенного T/S-списка 34/15");
  build(34, 15, "");
  const TCATREC& back = entry("BIG");  // a blank where deletion kept the track
  EXPECT_EQ(std::tuple(back.TTSL, back.STSL, back.OCAT, md->CAT.CATNUM),
            std::tuple(34, 15, big.OCAT, 5));  // "..", four files, no new entry
  sum = scan();
  EXPECT_EQ(std::tuple(sum.ORPHANS.size(), sum.DAMAGED, sum.USED_BUT_FREE.size()),
            std::tuple(2u, false, 0u));
}

// A chain naming a sector something holds is refused, naming the holder: the common case (a
// file deleted, the next saved into its sectors), a live T/S list, the catalog, the VTOC. A
// new file takes a never-used entry while there is one, so deleted files stay undeletable,
// and only then a deleted one, with a warning naming its file.
TEST_F(ImmapRecovery, SharedChainsAndTheEntryTaken) {
  make();
  const TCATREC a = save("A", 5120);
  FC_DELETE(entry("A")), reload();
  const TCATREC b = save("B", 700), p = save("P", 256);
  FC_DELETE(entry("P")), reload();
  const std::string holder_b = "уже принадлежит файлу \"B\", файл не создан";
  build(a.TTSL, a.STSL, holder_b);
  sector(30, 1).fill(0), sector(31, 1).fill(0);  // readable data
  for (const auto& [named, why] : std::vector<std::pair<std::pair<int, int>, std::string>>{
           {{b.TTSL, b.STSL}, holder_b},
           {{17, 1}, "сектор 17/1 — это сектор каталога, файл не создан"},
           {{17, 0}, "сектор 17/0 — это VTOC, файл не создан"}}) {
    lay_list(30, 0, {{30, 1}, named});
    store();
    build(30, 0, why);
  }
  // An entry naming track 0 reads as never used: the file would vanish at the next save.
  const TSECTOR boot = sector(0, 5);
  lay_list(0, 5, {{30, 1}});
  store();
  build(0, 5, "T/S-список 0/5 на дорожке 0: запись каталога с дорожкой 0 считается свободной");
  sector(0, 5) = boot;
  lay_list(30, 0, {{30, 1}});
  lay_list(31, 0, {{31, 1}});
  store();
  const TCATREC33 kept_p = raw(p);
  build(30, 0, "");
  EXPECT_EQ(std::tuple(entry("  30    0").OCAT, raw(p).TF, raw(p).N[0]),
            std::tuple(p.OCAT + 1, 0xFF, kept_p.N[0]));
  EXPECT_FALSE(scan().DAMAGED);
  // A lost sparse file whose first pair is a hole is a lost chain all the same.
  sector(32, 1).fill(0);
  lay_list(32, 0, {{0, 0}, {32, 1}});
  store();
  const auto heads = scan().ORPHANS;
  EXPECT_TRUE(std::any_of(heads.begin(), heads.end(),
                          [](const TIMMORPHAN& o) { return o.AT.T == 32 && o.AT.S == 0; }));

  TCATSECTOR& cat = as<TCATSECTOR>(sector(17, 1));
  for (int o = p.OCAT + 2; o < 7; ++o) cat.CR[o] = cat.CR[0];  // no never-used entry is left
  cat.TE = 0;
  store();
  EXPECT_TRUE(BUILDFILE(*md, 31, 0));
  EXPECT_NE(cp1251_to_utf8(FC_WARNINGBUFFER)
                .find("занята запись удалённого файла \"P\", его больше нельзя восстановить"),
            std::string::npos);
  EXPECT_EQ(take_critical_text(), "");
  reload();
  EXPECT_EQ(entry("  31    0").OCAT, p.OCAT);
}

}  // namespace
}  // namespace agat
