#include "core/vtoc.h"

#include <gtest/gtest.h>

#include "core/cp1251.h"
#include "core/cp1251_literal.h"
#include "support/media.h"
#include "support/temp_dir.h"

namespace agat {
namespace {

using testing::CoreTest;
using testing::TempDir;

class VtocTest : public CoreTest {
 protected:
  TempDir dir;
  std::unique_ptr<TMEDIA> md140 = testing::create_image(dir.host_path(), "a.dsk", ITI140);
  std::unique_ptr<TMEDIA> md800 = testing::create_image(dir.host_path(), "b.dsk", ITI800);
  TVTOCSECTOR& vtoc(TMEDIA& md) { return as<TVTOCSECTOR>(md.MASS[17][0]); }
};

TEST_F(VtocTest, SectorReadabilityAndAreaTestMessages) {
  TSECTOR s;
  s.fill(0xBD);
  EXPECT_FALSE(FC_IS_SECOK(s));
  s[200] = 0;
  EXPECT_TRUE(FC_IS_SECOK(s));
  EXPECT_FALSE(FC_IS_SECOK(BADLABEL));
  EXPECT_EQ(BADLABEL[4], 0xA0);
  EXPECT_EQ(BADLABEL[15], 0);
  EXPECT_EQ(std::string(BADLABEL.begin() + 32, BADLABEL.begin() + 50),
            "NOT\xA0READ\xA0"
            "CORRECTLY");

  std::string buf;
  EXPECT_EQ(DSKAREATEST("Чтение каталога среды: каталог"_w, buf, 35, 0, *md140), 1);
  EXPECT_EQ(cp1251_to_utf8(buf),
            "Чтение каталога среды: каталог: указатель на сектор\r\n"
            "выходит за пределы среды: 35/0\r\n");
  buf.clear();
  EXPECT_EQ(DSKAREATEST("X"_w, buf, 3, 16, *md140), 1);
  buf.clear();
  EXPECT_EQ(DSKAREATEST("Загрузка файла: данные"_w, buf, 3, 4, *md140), 2);  // never written
  EXPECT_EQ(cp1251_to_utf8(buf), "Загрузка файла: данные: сектор 3/4 не читается\r\n");
  buf.clear();
  EXPECT_EQ(DSKAREATEST("X"_w, buf, 17, 1, *md140), 0);
  EXPECT_EQ(buf, "");
  EXPECT_EQ(DSKAREATEST("X"_w, buf, 159, 20, *md800), 2);  // in range, never written
}

TEST_F(VtocTest, FreeMapsFollowTheGeometry) {
  for (int sc = 16; sc < 40; ++sc)
    EXPECT_FALSE(FC_IS_SECFREE(*md140, 5, static_cast<std::uint8_t>(sc)));
  EXPECT_FALSE(FC_IS_SECFREE(*md140, 35, 0));
  EXPECT_TRUE(FC_IS_SECFREE(*md800, 5, 20));
  EXPECT_FALSE(FC_IS_SECFREE(*md800, 5, 21));

  EXPECT_TRUE(GETSECT(*md140, 5, 3));
  EXPECT_FALSE(GETSECT(*md140, 5, 3));  // already used: nothing changes
  EXPECT_EQ(get_le32(vtoc(*md140).MAP[5]), 0x0000FFFFu & ~0x0800u);
  FREESECT(*md140, 5, 3);
  EXPECT_EQ(get_le32(vtoc(*md140).MAP[5]), 0x0000FFFFu);
  FREESECT(*md140, 200, 3);  // no mask: silently nothing
  EXPECT_EQ(free_sector_count(*md140), 542u);

  // Bit layout of the 800 KB masks: sector 0 is bit 3 of byte 2, sector 20 bit 7 of byte 0.
  EXPECT_TRUE(GETSECT(*md800, 120, 0));
  EXPECT_TRUE(GETSECT(*md800, 120, 20));
  const auto& ext = as<TVTOCESECTOR>(md800->MASS[114][0]);
  EXPECT_EQ(ext.MAP[6][2], 0xF0);
  EXPECT_EQ(ext.MAP[6][0], 0x7F);
}

TEST_F(VtocTest, UnreadableExtensionSectorHasNoFreeSectors) {
  md800->MASS[50][0].fill(0xBD);
  EXPECT_FALSE(FC_GETVTOCMAP(*md800, 50));
  EXPECT_FALSE(FC_IS_SECFREE(*md800, 113, 3));
  EXPECT_FALSE(GETSECT(*md800, 60, 3));
  FREESECT(*md800, 60, 3);
  EXPECT_TRUE(std::all_of(md800->MASS[50][0].begin(), md800->MASS[50][0].end(),
                          [](std::uint8_t b) { return b == 0xBD; }));
  EXPECT_TRUE(FC_IS_SECFREE(*md800, 114 + 1, 3));
  EXPECT_EQ(free_sector_count(*md800), 3335u - 64u * 21u + 1u);  // 50/0 was counted as used
}

TEST_F(VtocTest, NewSectOrderOnNewImage) {
  // Track 17 first (highest sector first), then downwards to 1, then upwards from 18.
  std::vector<std::pair<int, int>> got;
  std::uint8_t tr, sc;
  for (int i = 0; i < 542; ++i) {
    ASSERT_TRUE(NEWSECT(*md140, tr, sc)) << i;
    got.emplace_back(tr, sc);
  }
  EXPECT_EQ(got[0], std::make_pair(17, 15));
  EXPECT_EQ(got[13], std::make_pair(17, 2));
  EXPECT_EQ(got[14], std::make_pair(16, 15));
  EXPECT_EQ(got[14 + 16 * 16 - 1], std::make_pair(1, 0));
  EXPECT_EQ(got[14 + 16 * 16], std::make_pair(18, 15));
  EXPECT_EQ(got.back(), std::make_pair(34, 0));
  EXPECT_EQ(FC_WARNINGBUFFER, "");

  // Full: two passes, then the message, and the direction is back where it started.
  const std::uint8_t direction = vtoc(*md140).DIRECTTOTR;
  EXPECT_FALSE(NEWSECT(*md140, tr, sc));
  EXPECT_EQ(vtoc(*md140).DIRECTTOTR, direction);
  EXPECT_EQ(cp1251_to_utf8(FC_CRITICALERRORBUFFER),
            "Выделение сектора: закончилось свободное пространство среды.\r\n");
}

TEST_F(VtocTest, NewSectRepairsABrokenSearchState) {
  for (auto [track, direction] : {std::pair{0, 1}, std::pair{35, 1}, std::pair{5, 3}}) {
    FC_WARNINGBUFFER.clear();
    vtoc(*md140).NEXTAVAILTR = static_cast<std::uint8_t>(track);
    vtoc(*md140).DIRECTTOTR = static_cast<std::uint8_t>(direction);
    std::uint8_t tr, sc;
    ASSERT_TRUE(NEWSECT(*md140, tr, sc));
    EXPECT_EQ(cp1251_to_utf8(FC_WARNINGBUFFER),
              "Выделение сектора: неверны направление или трек выделения. Исправлено.\r\n");
    EXPECT_EQ(vtoc(*md140).DIRECTTOTR, 1);
    EXPECT_EQ(tr, 17);
  }
  // The next search goes upwards from track 17 once it is full.
  std::uint8_t tr, sc;
  do ASSERT_TRUE(NEWSECT(*md140, tr, sc));
  while (tr == 17);
  EXPECT_EQ(tr, 18);
}

TEST_F(VtocTest, NewSectRefusesAnUnreadableVtoc) {
  md140->MASS[17][0].fill(0xBD);
  std::uint8_t tr, sc;
  EXPECT_FALSE(NEWSECT(*md140, tr, sc));
  EXPECT_NE(FC_CRITICALERRORBUFFER, "");
  EXPECT_FALSE(FC_IS_SECOK(md140->MASS[17][0]));  // nothing written into it
}

TEST_F(VtocTest, TsListShape) {
  auto& s = md140->MASS[5][0];
  s.fill(0);
  auto set_pairs = [&](std::initializer_list<std::pair<int, int>> pairs) {
    std::fill(s.begin() + 12, s.end(), 0);
    int at = 12;
    for (auto [t, c] : pairs)
      s[at++] = static_cast<std::uint8_t>(t), s[at++] = static_cast<std::uint8_t>(c);
  };
  set_pairs({{5, 3}, {5, 2}});
  EXPECT_TRUE(FC_IS_TSL(*md140, 5, 0));
  set_pairs({{5, 3}, {0, 0}, {5, 2}});
  EXPECT_FALSE(FC_IS_TSL(*md140, 5, 0));
  set_pairs({{5, 3}, {35, 2}});
  EXPECT_FALSE(FC_IS_TSL(*md140, 5, 0));
  set_pairs({});
  s[1] = 34, s[2] = 15;
  EXPECT_TRUE(FC_IS_TSL(*md140, 5, 0));
  s[2] = 16;
  EXPECT_FALSE(FC_IS_TSL(*md140, 5, 0));
  s[2] = 0, s[0] = 1;
  EXPECT_FALSE(FC_IS_TSL(*md140, 5, 0));
  EXPECT_FALSE(FC_IS_TSL(*md140, 200, 0));  // off the medium: not a list, and no read
}

}  // namespace
}  // namespace agat
