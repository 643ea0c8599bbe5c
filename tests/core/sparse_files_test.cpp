// Files whose T/S lists have holes: every list of the chain is the file's, a pair of track 0
// before the last data pair is 256 zeros at its place, and the file ends at its last data
// sector. Loading, the map, deleting, undeleting and rewriting all agree.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "core/catalog_ops.h"
#include "core/file_rewrite.h"
#include "core/immap.h"
#include "support/image_test.h"
#include "support/testdata.h"

namespace agat {
namespace {

using testing::take_critical_text;

class SparseFilesTest : public testing::ImageTest {
 protected:
  std::vector<std::uint8_t> loaded(TCATREC& e) {
    FC_LOAD(e, buf);
    return {buf.begin(), buf.begin() + e.SIZE};
  }
};

// A random-access text file written by DOS: five lists, 26/13 with data in pairs 2 and 8,
// 26/10 in pair 0, 26/8 and 26/7 none, 26/6 in pair 0. Record N holds the text of N
// (digits, then CR) at byte N x 256, so the offsets prove that every hole kept its place;
// the map gives each list one reference from the file.
TEST_F(SparseFilesTest, RandomAccessTextFromDos) {
  AGAT_REQUIRE_TESTDATA();
  std::filesystem::copy_file(testing::testdata("other/simple-sparse.do"), dir.file("t.img"));
  md = testing::image_medium(dir.host_path(), "t.img", ITI140);
  reload();
  const auto data = loaded(entry("SPARSE-TEXT"));
  ASSERT_EQ(std::tuple(take_critical_text(), data.size()), std::tuple("", 489u * 256));
  std::string records;
  for (std::size_t i = 0; i < data.size(); ++i)
    if (data[i] != 0) records += data[i] == 0x8D ? " @" + std::to_string(i / 256) + ";" : "";
  EXPECT_EQ(records, " @2; @8; @122; @488;");
  EXPECT_EQ(std::count_if(data.begin(), data.end(), [](std::uint8_t b) { return b != 0; }), 12);
  TVTOCFAULTS faults;
  scan_map(*md, faults);
  for (const TSREF at : {TSREF{26, 13}, {26, 10}, {26, 8}, {26, 7}, {26, 6}})
    EXPECT_EQ(std::tuple(SCMP[at.TR][at.SC].LINKSCNT, SCMP[at.TR][at.SC].ERRSELF),
              std::tuple(1, false))
        << int{at.SC};
}

// A 600-byte file whose unused pair 5 reads 0/$7E, as some DOS versions leave it, and a file
// with a hole in the middle delete and undelete whole. A rewrite writes the sectors the file
// has and refuses bytes that would have to go into a hole.
TEST_F(SparseFilesTest, HolesSurviveDeleteUndeleteAndRewrite) {
  make();
  for (std::size_t i = 0; i < 4 * 256; ++i) buf[i] = static_cast<std::uint8_t>(i * 7 + 1);
  const TCATREC short_file = save("SHORT", 600), holed = save("HOLED", 4 * 256);
  as<TTSLSECTOR>(md->MASS[short_file.TTSL][short_file.STSL]).TSL[5][1] = 0x7E;
  auto& pair = as<TTSLSECTOR>(md->MASS[holed.TTSL][holed.STSL]).TSL[1];
  FREESECT(*md, pair[0], pair[1]);
  pair[0] = 0;
  store();
  const auto short_data = loaded(entry("SHORT")), holed_data = loaded(entry("HOLED"));
  EXPECT_EQ(std::tuple(short_data.size(), holed_data.size(), holed_data[256], holed_data[512]),
            std::tuple(768u, 1024u, 0, buf[512]));
  const std::uint32_t free_before = md->FREESPACE;
  for (const char* name : {"SHORT", "HOLED"}) FC_DELETE(entry(name));
  reload();
  EXPECT_EQ(md->FREESPACE, free_before + 4 + 4);
  for (int i = 1; i < md->CAT.CATNUM; ++i) FC_UNDELETE(md->CAT.CATREC[i]);
  reload();
  EXPECT_EQ(std::tuple(take_critical_text(), md->FREESPACE, loaded(entry("SHORT")),
                       loaded(entry("HOLED"))),
            std::tuple("", free_before, short_data, holed_data));
  testing::DiskAudit(*md).expect_vtoc_matches();

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
  EXPECT_EQ(loaded(entry("HOLED"))[700], static_cast<std::uint8_t>(holed_data[700] ^ 0xFF));
}

}  // namespace
}  // namespace agat
