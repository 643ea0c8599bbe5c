#include "core/media_lifecycle.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "core/cp1251.h"
#include "core/cp1251_literal.h"
#include "support/media.h"
#include "support/temp_dir.h"

namespace agat {
namespace {

using testing::CoreTest;
using testing::TempDir;

bool all_bd(const TSECTOR& s) {
  return std::all_of(s.begin(), s.end(), [](std::uint8_t b) { return b == 0xBD; });
}

class NewImageTest : public CoreTest, public ::testing::WithParamInterface<TIMAGET> {};

TEST_P(NewImageTest, LayoutAfterReload) {
  TempDir dir;
  const TIMAGET type = GetParam();
  testing::create_image(dir.host_path(), "new.img", type);
  EXPECT_EQ(std::filesystem::file_size(dir.file("new.img")),
            static_cast<std::uintmax_t>(IMAGEDESC[type].FULLSIZE));

  auto md = testing::image_medium(dir.host_path(), "new.img", type);
  FC_LOADMEDIA(*md);
  ASSERT_EQ(FC_CRITICALERRORBUFFER, "");
  const bool big = md->NUMTR == 159;
  const TVTOCSECTOR& vt = as<TVTOCSECTOR>(md->MASS[17][0]);
  EXPECT_EQ(vt.TE, 17);
  EXPECT_EQ(vt.SE, 1);
  EXPECT_EQ(vt.VOLNUM, 254);
  EXPECT_EQ(vt.VOLNAME[0], 0x8D);
  EXPECT_EQ(vt.VOLNAME[1], 0);
  EXPECT_EQ(vt.TSPAIRNUM, 122);
  EXPECT_EQ(vt.NEXTAVAILTR, 17);
  EXPECT_EQ(vt.DIRECTTOTR, 0xFF);
  EXPECT_EQ(vt.TRNUM, big ? 160 : 35);
  EXPECT_EQ(vt.SCNUM, big ? 21 : 16);
  EXPECT_EQ(get_le16(vt.BTNUM), 256);
  EXPECT_EQ(free_sector_count(*md), big ? 3335u : 542u);

  const std::uint32_t full = big ? 0x00F8FFFF : 0x0000FFFF;
  auto mask = [&](int track) -> std::uint32_t {
    if (track < 50) return get_le32(vt.MAP[track]);
    if (track < 114) return get_le32(as<TVTOCESECTOR>(md->MASS[50][0]).MAP[track - 50]);
    return get_le32(as<TVTOCESECTOR>(md->MASS[114][0]).MAP[track - 114]);
  };
  const int last_mask = big ? 177 : 49;
  for (int t = 0; t <= last_mask; ++t) {
    std::uint32_t expected = t == 0 || t > md->NUMTR ? 0 : full;
    if (t == 17) expected &= ~((*md->VTOCMASKS)[0] | (*md->VTOCMASKS)[1]);
    if (t == 50 || t == 114) expected &= ~(*md->VTOCMASKS)[0];
    EXPECT_EQ(mask(t), expected) << "track " << t;
  }
  EXPECT_TRUE(std::all_of(md->MASS[17][1].begin(), md->MASS[17][1].end(),
                          [](std::uint8_t b) { return b == 0; }));
  for (int t = 0; t <= md->NUMTR; ++t) {
    for (int s = 0; s <= md->NUMSC; ++s) {
      const bool structure = (t == 17 && s <= 1) || (s == 0 && big && (t == 50 || t == 114));
      EXPECT_EQ(all_bd(md->MASS[t][s]), !structure) << t << "/" << s;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(CreatableForms, NewImageTest,
                         ::testing::Values(ITI140, ITN140, ITI800, ITN800),
                         testing::ImageTypeName());

TEST_F(CoreTest, NewImageRefusesOtherFormsAndExistingNames) {
  TempDir dir;
  for (TIMAGET type : {IT4I140, IT128I140, IT4I800, IT128I800, ITA800}) {
    auto md = testing::image_medium(dir.host_path(), "x.img", type);
    FC_INITMEDIA(*md);
    EXPECT_FALSE(std::filesystem::exists(dir.file("x.img")));
    EXPECT_EQ(FC_CRITICALERRORBUFFER, "");
  }
  testing::write_bytes(dir.file("taken.dsk"), {1, 2, 3});
  std::filesystem::create_directory(dir.file("folder.dsk"));
  for (const char* name : {"taken.dsk", "folder.dsk"}) {
    auto md = testing::image_medium(dir.host_path(), name, ITI140);
    FC_INITMEDIA(*md);
    EXPECT_EQ(cp1251_to_utf8(testing::take_critical()),
              "Запись образа: такой файл уже существует\r\n");
  }
  EXPECT_EQ(testing::read_bytes(dir.file("taken.dsk")), (std::vector<std::uint8_t>{1, 2, 3}));
}

TEST_F(CoreTest, NewMediaIsTheCurrentDirectory) {
  auto md = testing::new_medium();
  md->MEDIAT = MDIMAGE;
  FC_NEWMEDIA(*md);
  EXPECT_EQ(md->MEDIAT, MDHOSTFS);
  EXPECT_EQ(md->HOSTPATH, std::filesystem::current_path().string() + "/");
}

// Cleaning works on a catalog built here by hand: sectors taken in the VTOC, entries
// written into them, links set.
class CleanTest : public CoreTest {
 protected:
  TempDir dir;
  std::unique_ptr<TMEDIA> md = testing::create_image(dir.host_path(), "c.dsk", ITI140);

  TCATSECTOR& cat(int t, int s) { return as<TCATSECTOR>(md->MASS[t][s]); }
  void make_catalog(std::initializer_list<std::pair<int, int>> chain) {
    auto prev = std::make_pair(17, 1);
    for (auto [t, s] : chain) {
      ASSERT_TRUE(GETSECT(*md, static_cast<std::uint8_t>(t), static_cast<std::uint8_t>(s)));
      md->MASS[t][s].fill(0);
      cat(prev.first, prev.second).TE = static_cast<std::uint8_t>(t);
      cat(prev.first, prev.second).SE = static_cast<std::uint8_t>(s);
      prev = {t, s};
    }
  }
  void put_entry(int t, int s, int o, std::uint8_t tf, std::uint8_t sf, char letter) {
    TCATREC33& e = cat(t, s).CR[o];
    e.TF = tf;
    e.SF = sf;
    e.E = 0x04;
    std::fill(std::begin(e.N), std::end(e.N), 0xA0);
    e.N[0] = static_cast<std::uint8_t>(letter | 0x80);
    e.L = 2;
  }
  void save() {
    FC_SAVEMEDIA(*md, false);
    ASSERT_EQ(FC_CRITICALERRORBUFFER, "");
  }
  std::unique_ptr<TMEDIA> reload() {
    auto m = testing::image_medium(dir.host_path(), "c.dsk", ITI140);
    FC_LOADMEDIA(*m);
    return m;
  }
};

TEST_F(CleanTest, ShortensTheCatalogAndWipesFreeSectors) {
  make_catalog({{17, 14}, {17, 13}});
  ASSERT_TRUE(GETSECT(*md, 3, 3));
  md->MASS[3][3].fill(0x11);           // a live file's T/S list
  md->MASS[4][4].fill(0x22);           // a deleted file's leftovers, free in the map
  put_entry(17, 1, 0, 3, 3, 'A');      // live
  put_entry(17, 1, 1, 0xFF, 4, 'D');   // deleted
  put_entry(17, 14, 0, 0xFF, 5, 'E');  // deleted only
  save();

  FC_CLEANMEDIA(*md);
  ASSERT_EQ(FC_CRITICALERRORBUFFER, "");
  auto m = reload();
  const TCATSECTOR& first = as<TCATSECTOR>(m->MASS[17][1]);
  EXPECT_EQ(first.TE, 0);
  EXPECT_EQ(first.SE, 0);
  EXPECT_EQ(first.CR[0].N[0], 'A' | 0x80);
  EXPECT_EQ(first.CR[1].TF, 0xFF);  // still listed as deleted, its name all zero
  EXPECT_TRUE(std::all_of(std::begin(first.CR[1].N), std::end(first.CR[1].N),
                          [](std::uint8_t b) { return b == 0; }));
  EXPECT_EQ(first.CR[1].SF, 0);
  EXPECT_TRUE(FC_IS_SECFREE(*m, 17, 14));
  EXPECT_TRUE(FC_IS_SECFREE(*m, 17, 13));
  EXPECT_TRUE(all_bd(m->MASS[17][14]));
  EXPECT_TRUE(all_bd(m->MASS[4][4]));
  EXPECT_EQ(m->MASS[3][3][0], 0x11);
  EXPECT_EQ(free_sector_count(*m), 542u - 1u);
}

TEST_F(CleanTest, DamagedChainsStopBeforeAnythingIsWritten) {
  make_catalog({{17, 14}, {17, 13}});
  put_entry(17, 1, 1, 0xFF, 4, 'D');
  cat(17, 13).TE = 17;  // back to 17/14: a loop
  cat(17, 13).SE = 14;
  save();
  const auto before = testing::read_bytes(dir.file("c.dsk"));

  FC_CLEANMEDIA(*md);
  EXPECT_EQ(cp1251_to_utf8(testing::take_critical()),
            "Очистка среды: каталог: цепочка секторов замкнута в кольцо на секторе 17/14\r\n");
  EXPECT_EQ(testing::read_bytes(dir.file("c.dsk")), before);

  md = reload();
  as<TCATSECTOR>(md->MASS[17][13]).TE = 40;  // off the disk
  FC_CLEANMEDIA(*md);
  EXPECT_EQ(cp1251_to_utf8(testing::take_critical()),
            "Очистка среды: каталог: указатель на сектор\r\nвыходит за пределы среды: 40/14\r\n");
  md = reload();
  md->MASS[17][13].fill(0xBD);  // unreadable
  FC_CLEANMEDIA(*md);
  EXPECT_EQ(cp1251_to_utf8(testing::take_critical()),
            "Очистка среды: каталог: сектор 17/13 не читается\r\n");
  EXPECT_EQ(testing::read_bytes(dir.file("c.dsk")), before);
}

TEST_F(CleanTest, NeverWipesTheVtocOrTheCatalogEvenWhenTheMapSaysFree) {
  put_entry(17, 1, 0, 3, 3, 'A');
  FREESECT(*md, 17, 0);
  FREESECT(*md, 17, 1);
  save();
  FC_CLEANMEDIA(*md);
  auto m = reload();
  EXPECT_EQ(as<TVTOCSECTOR>(m->MASS[17][0]).VOLNUM, 254);
  EXPECT_EQ(as<TCATSECTOR>(m->MASS[17][1]).CR[0].N[0], 'A' | 0x80);
}

TEST_F(CoreTest, CleaningIgnoresHostMediaAndInvalidVtocs) {
  TempDir dir;
  auto md = testing::create_image(dir.host_path(), "c.dsk", ITI140);
  const auto before = testing::read_bytes(dir.file("c.dsk"));
  md->VTOCINVALID = true;
  md->MASS[5][5].fill(0);
  FC_CLEANMEDIA(*md);
  md->VTOCINVALID = false;
  md->MEDIAT = MDHOSTFS;
  FC_CLEANMEDIA(*md);
  EXPECT_EQ(testing::read_bytes(dir.file("c.dsk")), before);
  EXPECT_EQ(FC_CRITICALERRORBUFFER, "");
}

}  // namespace
}  // namespace agat
