// Writes through the file system of a few hundred damaged images (seeded): an operation that
// reports a critical error leaves the image file as it was; one that reports none leaves an
// image whose catalog still reads, and a saved file reads back whole.
#include <gtest/gtest.h>

#include <functional>
#include <random>

#include "support/image_test.h"

namespace agat {
namespace {

using DamagedImages = testing::ImageTest;

TEST_F(DamagedImages, FailWithoutAChangeOrStayReadable) {
  std::vector<std::pair<std::vector<std::uint8_t>, TIMAGET>> bases;
  for (TIMAGET type : {ITI140, ITI800}) {  // files of one to three T/S lists, two catalogs
    make(type);
    for (std::int32_t size : {0, 5000, 40000, 70000}) save("F" + std::to_string(size), size);
    FC_MAKEDIR(*md, testing::agat_name("SUB"));
    reload();
    FC_DELETE(entry("F0"));
    bases.emplace_back(image_bytes(), type);
  }
  std::mt19937 rng(20261231u);
  const auto below = [&rng](std::size_t n) { return static_cast<int>(rng() % n); };
  int failed = 0, done = 0;
  for (int run = 0; run < 300; ++run) {
    auto [bytes, type] = bases[below(2)];
    md = testing::image_medium(dir.host_path(), "t.img", type);
    testing::write_bytes(dir.file("t.img"), bytes);
    reload();
    // One to three faults around an entry: in its T/S list, its catalog entry and links, the
    // VTOC's pointers, sizes and masks, or anywhere; values that lead off the disk, to track 0,
    // to the VTOC's track; or a whole sector unread or zero.
    const TCATREC& e = md->CAT.CATREC[1 + below(md->CAT.CATNUM - 1)];
    const int o = 11 + 35 * e.OCAT;
    const std::pair<TSREF, std::vector<int>> places[] = {
        {{e.TTSL == 0xFF ? e.AGATNAME[29] : e.TTSL, e.STSL}, {0, 1, 2, 12, 13}},
        {{e.TCAT, e.SCAT}, {1, 2, o, o + 1, o + 2, o + 32}},
        {{17, 0}, {1, 2, 39, 48, 49, 52, 53, 55, 124, 125, 60}},
        {{static_cast<std::uint8_t>(below(35)), static_cast<std::uint8_t>(below(16))},
         {below(256)}}};
    for (int k = below(3); k >= 0; --k) {
      const auto& [at, offsets] = places[below(4)];
      std::uint8_t* sector = bytes.data() + (std::min<int>(at.TR, md->NUMTR) * (md->NUMSC + 1) +
                                             std::min<int>(at.SC, md->NUMSC)) *
                                                256;
      const int value = std::array{0, 0xFF, 17, 1, 35, 160, 200, below(256)}[below(8)];
      below(10) == 0
          ? void(std::fill_n(sector, 256, below(2) ? UNREAD_FILL : 0))
          : void(sector[offsets[below(offsets.size())]] = static_cast<std::uint8_t>(value));
    }
    testing::write_bytes(dir.file("t.img"), bytes);
    reload();
    if (!testing::take_critical().empty() || md->CAT.CATNUM < 2) continue;  // agatdisk stops here
    // Put, make a catalog, delete, undelete, switch the lock, enter, rename.
    TCATREC& target = md->CAT.CATREC[1 + below(md->CAT.CATNUM - 1)];
    TCATREC cr = target;
    cr.AGATNAME = below(2) ? target.AGATNAME : testing::agat_name("NEW");
    cr.EXT = 0x04;
    cr.SIZE = below(40000);
    for (std::int32_t i = 0; i < cr.SIZE; ++i) buf[i] = static_cast<std::uint8_t>(rng());
    const std::vector<std::uint8_t> data(buf.begin(), buf.begin() + cr.SIZE);
    const int op = target.TTSL == 0xFF && below(2)           ? 3
                   : target.CATRECT == CRTBTKDIR && below(2) ? 5
                                                             : below(7);
    const std::function<void()> ops[] = {[&] { FC_SAVE(cr, buf, *md, false); },
                                         [&] { FC_MAKEDIR(*md, cr.AGATNAME); },
                                         [&] { FC_DELETE(target); },
                                         [&] { FC_UNDELETE(target); },
                                         [&] { FC_RELOCK(target, 0); },
                                         [&] { FC_CHDIR(target); },
                                         [&] { FC_RENAME(target, cr); }};
    SCOPED_TRACE("run " + std::to_string(run) + ", operation " + std::to_string(op));
    ops[op]();
    const bool refused = !testing::take_critical().empty();
    ASSERT_TRUE(!refused || image_bytes() == bytes);
    (refused ? failed : done) += 1;
    reload();
    ASSERT_EQ(testing::take_critical_text(), "");
    bool read_back = op != 0 || refused;
    for (int i = md->CAT.CATNUM - 1; !read_back && i > 0; --i) {
      if (md->CAT.CATREC[i].TTSL == 0xFF || md->CAT.CATREC[i].AGATNAME != cr.AGATNAME) continue;
      FC_LOAD(md->CAT.CATREC[i], buf);
      read_back =
          testing::take_critical().empty() && std::equal(data.begin(), data.end(), buf.begin());
      ASSERT_TRUE(read_back);
    }
    ASSERT_TRUE(read_back);
  }
  EXPECT_GT(failed, 30);
  EXPECT_GT(done, 100);
}

}  // namespace
}  // namespace agat
