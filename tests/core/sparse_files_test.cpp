// Files whose T/S lists have holes: every list of the chain is the file's, a pair of track 0
// before the last data pair is 256 zeros at its place, and the file ends at its last data
// sector. Loading, deleting, undeleting, rewriting, the map and cleaning all agree.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "core/catalog_ops.h"
#include "core/file_rewrite.h"
#include "core/immap.h"
#include "core/immap_summary.h"
#include "core/media_lifecycle.h"
#include "support/image_test.h"
#include "support/testdata.h"

namespace agat {
namespace {

using testing::name_text;
using testing::take_critical_text;

class SparseFilesTest : public testing::ImageTest {
 protected:
  std::vector<std::uint8_t> loaded(TCATREC& e) {
    FC_LOAD(e, buf);
    return {buf.begin(), buf.begin() + e.SIZE};
  }
  // The place of the entry's 35 bytes in the image.
  std::vector<std::uint8_t> entry_bytes(const TCATREC& e) {
    const auto* p =
        reinterpret_cast<const std::uint8_t*>(&as<TCATSECTOR>(md->MASS[e.TCAT][e.SCAT]).CR[e.OCAT]);
    return {p, p + sizeof(TCATREC33)};
  }
};

// A random-access text file written by DOS: five lists, 26/13 with data in pairs 2 and 8,
// 26/10 in pair 0, 26/8 and 26/7 none, 26/6 in pair 0. Record N holds the text of N at byte
// N x 256, so the offsets prove that every hole kept its place.
TEST_F(SparseFilesTest, RandomAccessTextFromDos) {
  AGAT_REQUIRE_TESTDATA();
  std::filesystem::copy_file(testing::testdata("other/simple-sparse.do"), dir.file("t.img"));
  std::filesystem::permissions(dir.file("t.img"), std::filesystem::perms::owner_write,
                               std::filesystem::perm_options::add);
  md = testing::image_medium(dir.host_path(), "t.img", ITI140);
  reload();
  const auto data = loaded(entry("SPARSE-TEXT"));
  ASSERT_EQ(take_critical_text(), "");
  ASSERT_EQ(data.size(), 489u * 256);
  std::size_t non_zero = 0;
  for (const auto& [record, text] : {std::pair{2, "\xB2\x8D"},
                                     {8, "\xB8\x8D"},
                                     {122, "\xB1\xB2\xB2\x8D"},
                                     {488, "\xB4\xB8\xB8\x8D"}}) {
    const std::string_view want(text);
    EXPECT_TRUE(
        std::equal(want.begin(), want.end(), data.begin() + record * 256,
                   [](char c, std::uint8_t b) { return static_cast<std::uint8_t>(c) == b; }))
        << record;
    non_zero += want.size();
  }
  EXPECT_EQ(static_cast<std::size_t>(
                std::count_if(data.begin(), data.end(), [](std::uint8_t b) { return b != 0; })),
            non_zero);

  // The map gives every sector of the chain one reference from the file, and none of its
  // lists is taken for the remains of a lost file.
  const std::vector<TSREF> sectors{{26, 13}, {26, 10}, {26, 8}, {26, 7}, {26, 6}};
  TVTOCFAULTS faults;
  SCANMAP(*md, faults);
  for (const TSREF& at : sectors) {
    const T_IMMSECTORDESC& d = SCMP[at.TR][at.SC];
    EXPECT_EQ(std::tuple(d.LINKSCNT, name_text(d.LINKSFROM[0].LF_FNAME), d.ERRSELF, d.ERRFROM),
              std::tuple(1, "SPARSE-TEXT", false, false))
        << int{at.TR} << "/" << int{at.SC};
  }
  for (const TIMMORPHAN& o : find_orphans(*md))
    EXPECT_FALSE(o.AT.T == 26 && o.AT.S <= 13) << int{o.AT.T} << "/" << int{o.AT.S};

  // Deleting frees all nine sectors; undeleting takes them again and gives back the entry
  // byte for byte (its last name byte was a blank); cleaning keeps the file.
  const auto entry_before = entry_bytes(entry("SPARSE-TEXT"));
  const std::uint32_t free_before = md->FREESPACE;
  FC_DELETE(entry("SPARSE-TEXT"));
  reload();
  EXPECT_EQ(md->FREESPACE, free_before + 9);
  TCATREC* deleted = std::find_if(md->CAT.CATREC.begin(), md->CAT.CATREC.end(),
                                  [](const TCATREC& e) { return e.TTSL == 0xFF; });
  ASSERT_NE(deleted, md->CAT.CATREC.end());
  EXPECT_EQ(loaded(*deleted), data);
  FC_UNDELETE(*deleted);
  reload();
  EXPECT_EQ(std::tuple(take_critical_text(), md->FREESPACE), std::tuple("", free_before));
  EXPECT_EQ(entry_bytes(entry("SPARSE-TEXT")), entry_before);
  FC_CLEANMEDIA(*md);
  reload();
  EXPECT_EQ(std::tuple(take_critical_text(), loaded(entry("SPARSE-TEXT"))), std::tuple("", data));
}

// A 600-byte file whose unused pair 5 reads 0/$7E, as some DOS versions leave it, and a
// file with a hole in the middle: both delete and undelete whole. A rewrite writes the
// sectors the file has and refuses bytes that would have to go into a hole.
TEST_F(SparseFilesTest, HolesSurviveDeleteUndeleteAndRewrite) {
  make();
  for (std::size_t i = 0; i < 4 * 256; ++i) buf[i] = static_cast<std::uint8_t>(i * 7 + 1);
  const TCATREC short_file = save("SHORT", 600);
  as<TTSLSECTOR>(md->MASS[short_file.TTSL][short_file.STSL]).TSL[5][1] = 0x7E;
  TCATREC holed = save("HOLED", 4 * 256);
  TTSLSECTOR& list = as<TTSLSECTOR>(md->MASS[holed.TTSL][holed.STSL]);
  const TSREF gone{list.TSL[1][0], list.TSL[1][1]};
  list.TSL[1][0] = 0;
  FREESECT(*md, gone.TR, gone.SC);
  store();
  testing::DiskAudit(*md).expect_vtoc_matches();
  const auto short_data = loaded(entry("SHORT")), holed_data = loaded(entry("HOLED"));
  ASSERT_EQ(std::tuple(short_data.size(), holed_data.size()), std::tuple(768u, 1024u));
  EXPECT_TRUE(std::all_of(holed_data.begin() + 256, holed_data.begin() + 512,
                          [](std::uint8_t b) { return b == 0; }));
  EXPECT_EQ(holed_data[512], buf[512]);

  const std::uint32_t free_before = md->FREESPACE;
  for (const char* name : {"SHORT", "HOLED"}) FC_DELETE(entry(name));
  reload();
  EXPECT_EQ(md->FREESPACE, free_before + 4 + 4);
  for (int i = 1; i < md->CAT.CATNUM; ++i) FC_UNDELETE(md->CAT.CATREC[i]);
  reload();
  EXPECT_EQ(std::tuple(take_critical_text(), md->FREESPACE), std::tuple("", free_before));
  testing::DiskAudit(*md).expect_vtoc_matches();
  EXPECT_EQ(std::tuple(loaded(entry("SHORT")), loaded(entry("HOLED"))),
            std::tuple(short_data, holed_data));

  TCATREC& e = entry("HOLED");
  FC_LOAD(e, buf);
  buf[300] = 1;  // in the hole
  EXPECT_FALSE(rewrite_file(e, buf));
  EXPECT_NE(take_critical_text().find("изменены байты там, где у файла нет сектора"),
            std::string::npos);
  buf[300] = 0;
  buf[700] ^= 0xFF;  // in the third data sector, after the hole
  EXPECT_TRUE(rewrite_file(e, buf));
  reload();
  const auto rewritten = loaded(entry("HOLED"));
  EXPECT_EQ(rewritten.size(), 1024u);
  EXPECT_EQ(rewritten[700], static_cast<std::uint8_t>(holed_data[700] ^ 0xFF));
}

}  // namespace
}  // namespace agat
