// The allocator and the image file: a free sector that a save could not write in the file
// is never given to a file, whatever the map says.
#include <gtest/gtest.h>

#include <algorithm>

#include "core/cp1251.h"
#include "core/file_transfer.h"
#include "core/image_file.h"
#include "core/nibble_140.h"
#include "core/track_update.h"
#include "core/vtoc.h"
#include "support/image_test.h"

namespace agat {
namespace {

class AllocationTest : public testing::ImageTest {
 protected:
  // Breaks, in the file, the address field of sector SC of track TR of the nibble image
  // (its checksum byte); answers where the field starts.
  std::size_t break_address_field(int tr, int sc) {
    auto bytes = image_bytes();
    const std::size_t rec = NIB140_TRACK_SIZE;
    const std::size_t base = tr * rec;
    for (std::size_t i = 0; i + 14 < rec; ++i) {
      const std::uint8_t* p = &bytes[base + i];
      if (p[0] != 0xD5 || p[1] != 0xAA || p[2] != 0x96) continue;
      auto trial = bytes;
      trial[base + i + 9] ^= 0x01;  // the checksum, 4-and-4 coded, no longer adds up
      TTRACK sectors;
      TrackOddities odd;
      const std::uint32_t lost = read_track_record(
          ITN140, std::span<const std::uint8_t>(&trial[base], rec), sectors, 16, odd);
      if (lost == (1u << sc)) {
        testing::write_bytes(dir.file("t.img"), trial);
        return base + i;
      }
    }
    ADD_FAILURE() << "no address field of " << tr << "/" << sc;
    return 0;
  }
};

TEST_F(AllocationTest, AFreeSectorWhoseFieldIsLostIsPassedOverOnce) {
  // Where the first file of a new image goes, and what the allocator takes next.
  make(ITN140);
  std::uint8_t t0, s0, t1, s1;
  ASSERT_TRUE(NEWSECT(*md, t0, s0) && NEWSECT(*md, t1, s1));
  make(ITN140);
  EXPECT_TRUE(std::all_of(md->unwritable.begin(), md->unwritable.end(),
                          [](std::uint32_t m) { return m == 0; }));
  const std::size_t field = break_address_field(t0, s0);
  reload();
  ASSERT_EQ(testing::take_critical_text(), "");
  EXPECT_FALSE(is_sector_writable(*md, t0, s0));
  EXPECT_TRUE(is_sector_writable(*md, t1, s1));
  const auto broken = image_bytes();

  // A file of 300 sectors takes many sectors after it; the save goes through, the
  // warning names the sector once, and the sector stays free and untouched.
  for (std::int32_t i = 0; i < 300 * 256; ++i) buf[i] = static_cast<std::uint8_t>(i * 7 + i / 256);
  TCATREC cr;
  cr.AGATNAME = testing::agat_name("BIG");
  cr.EXT = 0x04;
  cr.SIZE = 300 * 256;
  FC_SAVE(cr, buf, *md, false);
  const std::string warnings = cp1251_to_utf8(FC_WARNINGBUFFER);
  EXPECT_EQ(testing::take_critical_text(), "");
  const std::string said = "свободный сектор " + std::to_string(t0) + "/" + std::to_string(s0) +
                           " не читается в файле образа";
  EXPECT_NE(warnings.find(said), std::string::npos) << warnings;
  EXPECT_EQ(warnings.find(said), warnings.rfind(said)) << warnings;
  reload();
  TCATREC& e = entry("BIG");
  EXPECT_EQ(std::tuple(e.TTSL, e.STSL), std::tuple(t1, s1));
  FC_LOAD(e, buf);
  EXPECT_EQ(testing::take_critical_text(), "");
  EXPECT_EQ(e.SIZE, 300 * 256);
  for (std::int32_t i = 0; i < 300 * 256; ++i)
    ASSERT_EQ(buf[i], static_cast<std::uint8_t>(i * 7 + i / 256)) << i;
  EXPECT_TRUE(FC_IS_SECFREE(*md, t0, s0));
  const auto now = image_bytes();
  EXPECT_TRUE(std::equal(now.begin() + field, now.begin() + field + 14, broken.begin() + field));
  testing::DiskAudit(*md).expect_vtoc_matches();
  // Once the report has emptied the buffer, passing over the sector names it again.
  FC_WARNINGBUFFER.clear();
  as<TVTOCSECTOR>(md->MASS[17][0]).NEXTAVAILTR = t0;
  ASSERT_TRUE(NEWSECT(*md, t1, s1));
  EXPECT_NE(cp1251_to_utf8(FC_WARNINGBUFFER).find(said), std::string::npos);
}

TEST_F(AllocationTest, PlainImagesHaveNoSectorsThatCannotBeWritten) {
  for (TIMAGET type : {ITI140, ITI800}) {
    make(type);
    // Every sector but those of the map reads as the fill of a sector that did not read.
    for (int t = 0; t <= md->NUMTR; ++t)
      for (int s = 0; s <= md->NUMSC; ++s)
        if (t != 17 && t != 50 && t != 114) md->MASS[t][s].fill(UNREAD_FILL);
    std::uint8_t tr, sc;
    EXPECT_TRUE(NEWSECT(*md, tr, sc));
    EXPECT_EQ(FC_WARNINGBUFFER, "");
  }
}

}  // namespace
}  // namespace agat
