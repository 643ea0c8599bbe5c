// New images, the sector services of the VTOC, and cleaning.
#include "core/media_lifecycle.h"

#include <gtest/gtest.h>

#include "core/cp1251_literal.h"
#include "support/image_test.h"

namespace agat {
namespace {

using testing::CoreTest;
using testing::TempDir;

class NewImageTest : public CoreTest, public ::testing::WithParamInterface<TIMAGET> {};

// A new image, read back from its file, has the length of its form. The masks of the VTOC
// and its extension sectors mark free every sector of tracks 1..NUMTR but the map and
// catalog sectors, whatever the bits above the geometry; every sector but those is unread.
TEST_P(NewImageTest, LayoutAfterReload) {
  TempDir dir;
  const TIMAGET type = GetParam();
  testing::create_image(dir.host_path(), "new.img", type);
  auto md = testing::image_medium(dir.host_path(), "new.img", type);
  FC_LOADMEDIA(*md);
  ASSERT_EQ(FC_CRITICALERRORBUFFER, "");
  EXPECT_EQ(std::filesystem::file_size(dir.file("new.img")), testing::new_file_size(type));
  const bool big = md->NUMTR == 159;
  const TVTOCSECTOR& vt = as<TVTOCSECTOR>(md->MASS[17][0]);
  EXPECT_EQ(free_sector_count(*md), big ? 3335u : 542u);
  const auto mask = [&](int t) {  // in the VTOC from byte 56, in the extensions from byte 0
    return get_le32(t < 50 ? &vt.MAP[t][0] : &md->MASS[t < 114 ? 50 : 114][0][4 * ((t - 50) % 64)]);
  };
  for (int t = 0; t <= (big ? 177 : 49); ++t) {
    std::uint32_t want = t == 0 || t > md->NUMTR ? 0 : big ? 0xF8FFFF : 0xFFFF;
    if (t == 17) want = big ? 0xE0FFFF : 0xFCFF;        // sectors 0 and 1 taken
    if (big && (t == 50 || t == 114)) want = 0xF0FFFF;  // sector 0 taken
    EXPECT_EQ(mask(t), want) << "track " << t;
  }
  for (int t = 0; t <= md->NUMTR; ++t)
    for (int s = 0; s <= md->NUMSC; ++s)  // the VTOC, its extensions and the catalog
      EXPECT_EQ(md->MASS[t][s] != testing::kUnread,
                (t == 17 && s <= 1) || (big && s == 0 && (t == 50 || t == 114)))
          << t << "/" << s;
}

INSTANTIATE_TEST_SUITE_P(CreatableForms, NewImageTest,
                         ::testing::ValuesIn(testing::creatable_forms()), testing::ImageTypeName());

// A name that is taken, by a file or a directory, is refused, and the file keeps its bytes.
TEST_F(CoreTest, NewImageRefusesExistingNames) {
  TempDir dir;
  testing::write_bytes(dir.file("taken.dsk"), {1, 2, 3});
  std::filesystem::create_directory(dir.file("folder.dsk"));
  for (const char* name : {"taken.dsk", "folder.dsk"}) {
    FC_INITMEDIA(*testing::image_medium(dir.host_path(), name, ITI140));
    EXPECT_EQ(testing::take_critical_text(), "Запись образа: такой файл уже существует\r\n");
  }
  EXPECT_EQ(testing::read_bytes(dir.file("taken.dsk")), (std::vector<std::uint8_t>{1, 2, 3}));
}

class VtocTest : public CoreTest {
 protected:
  TempDir dir;
  std::unique_ptr<TMEDIA> md140 = testing::create_image(dir.host_path(), "a.dsk", ITI140);
  std::unique_ptr<TMEDIA> md800 = testing::create_image(dir.host_path(), "b.dsk", ITI800);
  static TVTOCSECTOR& vtoc(TMEDIA& md) { return as<TVTOCSECTOR>(md.MASS[17][0]); }
};

// A sector of $BD or the copiers' label is unreadable; DSKAREATEST names the place of a
// reference off the medium or of an unreadable sector after the caller's prefix. A T/S
// list has byte 0 zero, its link and every pair on the medium, and only zero pairs after
// the first zero pair.
TEST_F(VtocTest, SectorChecks) {
  TSECTOR s = testing::kUnread;
  EXPECT_FALSE(FC_IS_SECOK(s));
  s[200] = 0;
  EXPECT_TRUE(FC_IS_SECOK(s));
  EXPECT_FALSE(FC_IS_SECOK(BADLABEL));

  std::string buf;
  EXPECT_EQ(DSKAREATEST("Чтение каталога среды: каталог"_w, buf, 35, 0, *md140), 1);
  EXPECT_EQ(DSKAREATEST("X", buf, 3, 16, *md140), 1);
  EXPECT_EQ(DSKAREATEST("Загрузка файла: данные"_w, buf, 3, 4, *md140), 2);  // never written
  EXPECT_EQ(DSKAREATEST("X", buf, 17, 1, *md140), 0);
  EXPECT_EQ(DSKAREATEST("X", buf, 159, 20, *md800), 2);
  EXPECT_EQ(cp1251_to_utf8(buf),
            "Чтение каталога среды: каталог: указатель на сектор\r\n"
            "выходит за пределы среды: 35/0\r\n"
            "X: указатель на сектор\r\nвыходит за пределы среды: 3/16\r\n"
            "Загрузка файла: данные: сектор 3/4 не читается\r\n"
            "X: сектор 159/20 не читается\r\n");

  const auto tsl = [&](std::uint8_t r, std::uint8_t te, std::uint8_t se,
                       std::initializer_list<std::uint8_t> pairs) {
    TSECTOR& list = md140->MASS[5][0];
    list.fill(0);
    list[0] = r, list[1] = te, list[2] = se;
    std::copy(pairs.begin(), pairs.end(), list.begin() + 12);
    return FC_IS_TSL(*md140, 5, 0);
  };
  // Holes (track 0, any sector byte) are part of a list's shape: data may follow them.
  EXPECT_TRUE(tsl(0, 0, 0, {5, 3, 5, 2}));
  EXPECT_TRUE(tsl(0, 34, 15, {}));
  EXPECT_TRUE(tsl(0, 0, 0, {5, 3, 0, 0, 5, 2}));
  EXPECT_TRUE(tsl(0, 0, 0, {5, 3, 0, 0, 0, 2}));
  EXPECT_TRUE(tsl(0, 0, 0, {0, 0x7E, 0, 0, 0, 0, 34, 15}));
  EXPECT_TRUE(tsl(0, 0, 0x7E, {}));  // a link of track 0 ends the chain, whatever its sector
  EXPECT_FALSE(tsl(0, 0, 0, {5, 3, 35, 2}));
  EXPECT_FALSE(tsl(0, 0, 0, {0, 0, 5, 16}));
  EXPECT_FALSE(tsl(0, 34, 16, {}));
  EXPECT_FALSE(tsl(1, 0, 0, {}));
  // Where the shape breaks: byte 0, the link, the first pair off the medium.
  for (const auto& [r, te, pair_track, flaw] :
       {std::tuple{1, 0, 5, 0}, {0, 35, 5, 1}, {0, 0, 35, 14}, {0, 35, 35, 1}, {0, 0, 5, -1}}) {
    tsl(static_cast<std::uint8_t>(r), static_cast<std::uint8_t>(te), 0,
        {1, 1, static_cast<std::uint8_t>(pair_track), 1});
    EXPECT_EQ(tsl_flaw(*md140, md140->MASS[5][0]), flaw) << r << " " << te << " " << pair_track;
  }
  EXPECT_FALSE(FC_IS_TSL(*md140, 200, 0));  // off the medium: not a list, and no read
}

// Sectors beyond the geometry are never free. An unreadable extension sector leaves its
// 64 tracks without free sectors and is never written into; the other map sectors count.
TEST_F(VtocTest, FreeMaps) {
  for (int sc = 16; sc < 40; ++sc)
    EXPECT_FALSE(FC_IS_SECFREE(*md140, 5, static_cast<std::uint8_t>(sc)));
  EXPECT_FALSE(FC_IS_SECFREE(*md140, 35, 0));
  md800->MASS[50][0].fill(0xBD);
  EXPECT_FALSE(FC_IS_SECFREE(*md800, 113, 3));
  EXPECT_FALSE(GETSECT(*md800, 60, 3));
  FREESECT(*md800, 60, 3);
  EXPECT_FALSE(FC_IS_SECOK(md800->MASS[50][0]));
  EXPECT_EQ(free_sector_count(*md800), 3335u - 64u * 21u + 1u);  // 50/0 itself was taken
}

// A new image gives track 17 first (highest sector first), then the tracks down to 1,
// then up from 18. When nothing is left, both directions have been tried and the
// direction is back where it was. A search state off the disk or with a direction other
// than +1/-1 is repaired to track 17 upwards, with a warning. An unreadable VTOC has no
// state to repair: refused, and nothing is written into it.
TEST_F(VtocTest, NewSect) {
  std::vector<std::pair<int, int>> got;
  std::uint8_t tr, sc;
  while (NEWSECT(*md140, tr, sc)) got.emplace_back(tr, sc);
  ASSERT_EQ(got.size(), 542u);
  EXPECT_EQ(
      std::vector({got[0], got[13], got[14], got[269], got[270], got[541]}),
      (std::vector<std::pair<int, int>>{{17, 15}, {17, 2}, {16, 15}, {1, 0}, {18, 15}, {34, 0}}));
  EXPECT_EQ(vtoc(*md140).DIRECTTOTR, 0x01);  // upwards, as after the last sector taken
  EXPECT_EQ(testing::take_critical_text(),
            "Выделение сектора: закончилось свободное пространство среды.\r\n");
  EXPECT_EQ(FC_WARNINGBUFFER, "");

  for (auto [track, direction] : {std::pair{0, 1}, {160, 1}, {5, 3}}) {
    vtoc(*md800).NEXTAVAILTR = static_cast<std::uint8_t>(track);
    vtoc(*md800).DIRECTTOTR = static_cast<std::uint8_t>(direction);
    ASSERT_TRUE(NEWSECT(*md800, tr, sc));
    EXPECT_EQ(tr, 17);
    EXPECT_EQ(cp1251_to_utf8(FC_WARNINGBUFFER),
              "Выделение сектора: неверны направление или трек выделения. Исправлено.\r\n");
    FC_WARNINGBUFFER.clear();
  }
  do ASSERT_TRUE(NEWSECT(*md800, tr, sc));
  while (tr == 17);
  EXPECT_EQ(tr, 18);
  md800->MASS[17][0].fill(0xBD);
  EXPECT_FALSE(NEWSECT(*md800, tr, sc));
  EXPECT_NE(testing::take_critical_text(), "");
  EXPECT_FALSE(FC_IS_SECOK(md800->MASS[17][0]));
}

// Cleaning works on a catalog of three sectors built here by hand, 17/1 -> 17/14 ->
// 17/13, all three taken in the map.
class CleanTest : public testing::ImageTest {
 protected:
  void SetUp() override {
    ImageTest::SetUp();
    make();
    for (auto [from, to] : {std::pair{1, 14}, {14, 13}}) {
      ASSERT_TRUE(GETSECT(*md, 17, static_cast<std::uint8_t>(to)));
      md->MASS[17][to].fill(0);
      cat(from).TE = 17;
      cat(from).SE = static_cast<std::uint8_t>(to);
    }
  }
  TCATSECTOR& cat(int s) { return as<TCATSECTOR>(md->MASS[17][s]); }
  void put_entry(int s, int o, std::uint8_t tf, std::uint8_t sf, char letter) {
    TCATREC33& e = cat(s).CR[o];
    e = {tf, sf, 0x04, {}, 2, 0};
    std::fill(std::begin(e.N), std::end(e.N), 0xA0);
    e.N[0] = static_cast<std::uint8_t>(letter | 0x80);
  }
};

// The chain is cut after its last sector with a live entry, and what follows is freed;
// a deleted entry stays listed as deleted ($FF) with all else zero; free sectors are
// wiped, used ones kept. The VTOC and the catalog that stays are in use whatever the map
// says.
TEST_F(CleanTest, ShortensTheCatalogAndWipesFreeSectors) {
  FREESECT(*md, 17, 0);
  FREESECT(*md, 17, 1);
  ASSERT_TRUE(GETSECT(*md, 3, 3));
  md->MASS[3][3].fill(0x11);       // a live file's T/S list
  md->MASS[4][4].fill(0x22);       // a deleted file's leftovers, free in the map
  put_entry(1, 0, 3, 3, 'A');      // live
  put_entry(1, 1, 0xFF, 4, 'D');   // deleted
  put_entry(14, 0, 0xFF, 5, 'E');  // deleted only
  store();

  FC_CLEANMEDIA(*md);
  ASSERT_EQ(FC_CRITICALERRORBUFFER, "");
  reload();
  const TCATSECTOR& first = as<TCATSECTOR>(md->MASS[17][1]);
  EXPECT_EQ(first.TE, 0);
  EXPECT_EQ(first.CR[0].N[0], 'A' | 0x80);
  EXPECT_EQ(first.CR[1].TF, 0xFF);
  const auto* deleted = reinterpret_cast<const std::uint8_t*>(&first.CR[1]);
  EXPECT_TRUE(std::all_of(deleted + 1, deleted + 35, [](std::uint8_t b) { return b == 0; }));
  EXPECT_TRUE(FC_IS_SECFREE(*md, 17, 14));
  EXPECT_TRUE(FC_IS_SECFREE(*md, 17, 13));
  EXPECT_EQ(md->MASS[17][14], testing::kUnread);
  EXPECT_EQ(md->MASS[4][4], testing::kUnread);
  EXPECT_EQ(md->MASS[3][3][0], 0x11);
  EXPECT_EQ(as<TVTOCSECTOR>(md->MASS[17][0]).VOLNUM, 254);
  EXPECT_EQ(free_sector_count(*md), 542u - 1u + 2u);
}

// The whole chain is walked first: a loop, a link off the disk or an unreadable sector
// stops the cleaning with a message before anything changes. Host media are not cleaned
// at all, images with an unreadable VTOC not without a message.
TEST_F(CleanTest, DamagedChainsStopBeforeAnythingIsWritten) {
  put_entry(1, 1, 0xFF, 4, 'D');
  store();
  const auto before = image_bytes();
  const char* const messages[] = {
      "Очистка среды: каталог: цепочка секторов замкнута в кольцо на секторе 17/14\r\n",
      "Очистка среды: каталог: указатель на сектор\r\nвыходит за пределы среды: 40/14\r\n",
      "Очистка среды: каталог: сектор 17/13 не читается\r\n"};
  for (int damage = 0; damage < 3; ++damage) {
    reload();
    if (damage == 2) {
      md->MASS[17][13].fill(0xBD);
    } else {
      cat(13).TE = damage == 0 ? 17 : 40;  // back to 17/14, or off the disk
      cat(13).SE = 14;
    }
    FC_CLEANMEDIA(*md);
    EXPECT_EQ(testing::take_critical_text(), messages[damage]);
  }
  md->VTOCINVALID = true;
  FC_CLEANMEDIA(*md);
  EXPECT_EQ(testing::take_critical_text(),
            "Очистка среды: VTOC образа не читается, образ не изменён\r\n");
  md->VTOCINVALID = false;
  md->MEDIAT = MDHOSTFS;
  FC_CLEANMEDIA(*md);
  EXPECT_EQ(FC_CRITICALERRORBUFFER, "");
  EXPECT_EQ(image_bytes(), before);
}

}  // namespace
}  // namespace agat
