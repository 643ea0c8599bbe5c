// The sector map end to end: F12 in the file manager, the grid at both cell widths, the
// keys that move the cursor, the panel of the sector under it, the search for a lost T/S
// list and the file made of it, and the sector editor through a stand-in hex editor.
#include <gtest/gtest.h>

#include <filesystem>

#include "content/colours.h"
#include "content/hexdump.h"
#include "core/char_sets.h"
#include "core/nibble_800.h"
#include "core/track_checksum.h"
#include "support/testdata.h"
#include "ui/crt_immap_viewer.h"
#include "ui/fixtures.h"
#include "ui/immap_editor.h"

namespace agat {
namespace {

class ImmapScreen : public testing::SorbelTest {
 protected:
  // Each panel row Y ends in its TEXT: the panel is the last thing on its rows.
  void panel_shows(std::vector<std::pair<int, std::string>> rows) {
    check([rows](MemoryConsole& s) {
      for (const auto& [y, text] : rows)
        EXPECT_TRUE(s.row_trimmed(y).ends_with(" " + text)) << text << "\n" << s.screen_text();
    });
  }
};

// At 80 columns: two-column cells and even sector numbers; the cursor wraps on every
// edge and pages by the rows on the screen; the panel lists every reference, the second
// on in the error colour, names with control codes shown as "?"; the three modes; the
// last fault is pointed at; legend and help.
TEST_F(ImmapScreen, GridKeysAndPanel) {
  auto md = image("disk.dsk");
  save(*md, "A", 0x04, 256);  // its list at 17/15, its data at 17/14
  TCATSECTOR& cat = as<TCATSECTOR>(md->MASS[17][1]);
  cat.CR[1] = cat.CR[2] = cat.CR[0];
  std::uint8_t control = 0;
  while (A2L(control) >= 0x20) ++control;
  cat.CR[2].N[1] = control;
  cat.CR[3] = cat.CR[0];
  cat.CR[3].SF = 16;  // off the disk: an error in the catalog sector
  FC_SAVEMEDIA(*md, false);

  screen->keys({KEYCODE_ENTER, HKEY_F12});
  check([&](MemoryConsole& s) {
    EXPECT_EQ(s.row_trimmed(1), "    Режим просмотра ссылок из других секторов на заданный");
    EXPECT_EQ(s.row_trimmed(2), "     0   2   4   6   8  10  12  14");
    EXPECT_EQ(s.row(20).substr(0, 36), " 17 VVCC------------------------_3_3");
    EXPECT_EQ(s.attribute_at(1, 20), COL[IMM_NUMBERS]);
    EXPECT_EQ(s.attribute_at(5, 3),
              (COL[IMM_BADSEC] << 4) | (COL[IMM_BADSEC] >> 4));  // "_-", unreadable
  });
  panel_shows({{3, "Ближайший глюк в 17 / 15 !!!"}, {5, "Сектор 17 / 0 (далее в 17 / 1)"}});
  screen->key(HKEY_LEFT);  // round to the last sector: A's list
  panel_shows({{5, "Сектор 17 / 15"},
               {9, "Ссылки на сектор: 3"},
               {10, "Ссылка из 17 / 1 (каталог)"},
               {11, "подразумевает здесь TS-список"},
               {12, "файла \"A\""},
               {18, "файла \"A?\""}});
  check([&](MemoryConsole& s) {
    const int x = crt_immap_viewer::NOTESX + 2;
    EXPECT_EQ(std::tuple(s.attribute_at(x, 12), s.attribute_at(x, 13)),
              std::tuple(COL[IMM_REMARK], COL[IMM_ERREMARK]));
  });
  // Up from track 0 to the last, Down from it to track 0; pages by TRONSCR = 22 rows.
  const std::vector<std::pair<std::uint16_t, std::string>> moves = {
      {HKEY_RIGHT, "17 / 0 (далее в 17 / 1)"},
      {HKEY_PPAGE, "34 / 0"},
      {HKEY_NPAGE, "0 / 0"},
      {HKEY_UP, "34 / 0"},
      {HKEY_DOWN, "0 / 0"},
      {HKEY_NPAGE, "22 / 0"},
      {HKEY_PPAGE, "0 / 0"},
      {HKEY_LEFT, "0 / 15"},
      {HKEY_RIGHT, "0 / 0"}};
  for (const auto& [key, where] : moves) {
    screen->key(key);
    panel_shows({{5, "Сектор " + where}});
  }
  check([](MemoryConsole& s) { EXPECT_EQ(s.row(3).substr(0, 4), "  0 "); });
  screen->keys({HKEY_UP});  // the last track scrolls in at the bottom
  check([](MemoryConsole& s) { EXPECT_EQ(s.row(3).substr(0, 4), " 12 "); });

  // The other modes, with the cursor on A's list, which highlights its file.
  screen->keys({HKEY_NPAGE, HKEY_DOWN, HKEY_DOWN, HKEY_DOWN, HKEY_DOWN, HKEY_DOWN, HKEY_LEFT, ' '});
  check([&](MemoryConsole& s) {
    EXPECT_EQ(s.row_trimmed(1), "    Режим восстановления диска поиском T/S списков");
    EXPECT_EQ(s.row(20).substr(0, 36), " 17  V C?-?-?-?-?-?-?-?-?-?-?-?- *T>");
    EXPECT_EQ(s.attribute_at(35, 20), COL[IMM_BASE] | 0x10);
  });
  screen->key(' ');
  check([&](MemoryConsole& s) {
    EXPECT_EQ(s.row(20).substr(0, 8), " 17 VV!C");
    EXPECT_EQ(s.attribute_at(7, 20), COL[IMM_BASE] << 4);
  });
  screen->keys({'l'});
  shows({" Справка ", "Легенда карты диска (просмотр содержания данного сектора):"});
  screen->keys({'x', HKEY_F1});
  shows({"Управление просмотрщиком карты диска:", "Стрелки и PgUp/PgDn - листание."});
  screen->keys({'x', ' ', HKEY_F3});
  quit({"disk.dsk"});
}

// The images of an independent tool with lost files, at 80 x 25 and at 132 x 43: TAB
// finds the first lost T/S list, "r" brings it back (a deleted file that its entry still
// reaches under its own name, a stale list as a new entry), and after leaving the panel
// lists the file, which loads with the data its list names.
TEST_F(ImmapScreen, RecoversLostFilesOfIndependentImages) {
  AGAT_REQUIRE_TESTDATA();
  for (const auto& [source, t, s, name, w, h] :
       {std::tuple("dos33/files.dsk", 32, 5, "DELETED.BIN", 80, 25),
        std::tuple("other/stale-deleted.dsk", 18, 13, "  18   13", 132, 43)}) {
    std::filesystem::copy_file(testing::testdata(source), dir.file("disk.dsk"),
                               std::filesystem::copy_options::overwrite_existing);
    std::filesystem::permissions(dir.file("disk.dsk"), std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add);
    const auto original = read_image("disk.dsk");
    use_screen(w, h);
    CURSTR = 17, CURSSC = 0, crt_immap_viewer::TOPTRY = 0;
    screen->keys({KEYCODE_ENTER, HKEY_F12});
    shows({"Анализ VTOC:", "08: Не найден ограничитель имени тома ($8D, $00)."});
    screen->keys({KEYCODE_ESCAPE, KEYCODE_TAB});
    panel_shows({{5, "Сектор " + std::to_string(t) + " / " + std::to_string(s)},
                 {7, "Содержимое: T/S список"},
                 {9, "Ссылки на сектор: нет"}});
    if (w > 105) {
      check([](MemoryConsole& sc) {
        EXPECT_EQ(sc.row(2).substr(0, 14), "     0  1  2  ");
        EXPECT_EQ(sc.row(20).substr(0, 13), " 17 VV -- -- ");
      });
    }
    screen->keys({'r', KEYCODE_ESCAPE});
    panel_shows({{9, "Ссылки на сектор: одна"}});
    screen->keys({KEYCODE_TAB, HKEY_F12, HKEY_END});
    check([this, n = std::string(name)](MemoryConsole&) { EXPECT_NE(panel_row(n), 0); });
    quit({"disk.dsk"});

    auto md = read_image("disk.dsk");
    const std::vector<std::uint8_t> data = load(*md, name);
    std::vector<std::uint8_t> named;
    const TTSLSECTOR& list = as<TTSLSECTOR>(original->MASS[t][s]);
    for (int j = 0; j < 122 && list.TSL[j][0] != 0; ++j) {
      const TSECTOR& d = original->MASS[list.TSL[j][0]][list.TSL[j][1]];
      named.insert(named.end(), d.begin(), d.end());
    }
    ASSERT_GE(named.size(), data.size());
    EXPECT_EQ(data, std::vector<std::uint8_t>(named.begin(), named.begin() + data.size()))
        << source;
    EXPECT_GT(data.size(), named.size() - 256) << source;  // a B file's length, within its sectors
  }
}

// A sector of a protected disk reads whole and shows no error; the panel names its kinds on
// the row before the references, which a standard sector leaves to them.
TEST_F(ImmapScreen, PanelNamesTheKindOfANonstandardSector) {
  auto md = image("disk.nib", ITN800);
  const std::string path = dir.file("disk.nib");
  auto bytes = testing::read_bytes(path);
  std::uint8_t* vtoc = &bytes[17 * NIB800_TRACK_SIZE];  // its record is the track's first
  ASSERT_NE(CALCCRC(md->MASS[17][0]), xor_checksum(md->MASS[17][0]));
  vtoc[18] = 0xA5, vtoc[280] = xor_checksum(md->MASS[17][0]);
  testing::write_bytes(path, bytes);
  use_screen(132, 43);
  screen->keys({KEYCODE_ENTER, HKEY_F12});
  panel_shows({{6, "Ошибки: нет"},
               {10, "Нестандартный: эпилог адреса, сумма XOR"},
               {11, "Исходя из расположения - это VTOC"}});
  screen->key(HKEY_RIGHT);
  panel_shows({{10, "Ссылка из 17 / 0 (VTOC)"}});
  screen->keys({KEYCODE_ESCAPE});
  quit({"disk.nib"});
}

// TAB goes to the first list of a lost chain, never to a further list of it that lies
// earlier on the disk; "r" there brings the deleted file back under its own name.
TEST_F(ImmapScreen, TabFindsTheFirstListOfAChain) {
  auto md = image("disk.dsk");
  save(*md, "BIG", 0x04, 130 * 256);
  TCATREC big = md->CAT.CATREC[1];
  FC_DELETE(big);
  FC_READCAT(*md);
  TCATREC33& entry = as<TCATSECTOR>(md->MASS[big.TCAT][big.SCAT]).CR[big.OCAT];
  TTSLSECTOR& first = as<TTSLSECTOR>(md->MASS[big.TTSL][big.STSL]);
  md->MASS[1][0] = md->MASS[first.TE][first.SE];  // the second list, before the first
  md->MASS[first.TE][first.SE].fill(0);
  first.TE = 1, first.SE = 0;
  md->MASS[34][15] = md->MASS[big.TTSL][big.STSL];
  md->MASS[big.TTSL][big.STSL].fill(0);
  entry.N[29] = 34, entry.SF = 15;
  FC_SAVEMEDIA(*md, false);
  CURSTR = 0, CURSSC = 0;
  screen->keys({KEYCODE_ENTER, HKEY_F12, KEYCODE_TAB});
  panel_shows({{5, "Сектор 34 / 15"}});
  screen->keys({'r'});
  panel_shows({{9, "Ссылки на сектор: одна"}});
  screen->keys({HKEY_F12});
  left_rows(3, {"   B  132  BIG"});
  quit({"disk.dsk"});
}

// A disk whose VTOC is no DOS VTOC: the panel shows ".." and, once, that there is no DOS
// catalog in place of the garbage entries; the sector map still opens on it.
TEST_F(ImmapScreen, PanelOfADiskWithoutDos) {
  testing::write_bytes(dir.file("nodos.dsk"), std::vector<std::uint8_t>(143360, 0x11));
  screen->keys({KEYCODE_ENTER});
  left_rows(1, {"", " +HostDir: ..", "  На диске нет каталога DOS", ""});
  screen->keys({HKEY_F12});
  shows({"Анализ VTOC:"});
  screen->keys({KEYCODE_ESCAPE});
  panel_shows({{5, "Сектор 17 / 0 (далее в 17 / 17)"}});
  screen->keys({HKEY_F12});
  quit({"nodos.dsk"});
}

// Enter edits the sector under the cursor in the hex editor: a change it does not confirm
// is dropped, a confirmed one is saved at once, even where the VTOC cannot be read at
// all, which is how such an image is repaired.
TEST_F(ImmapScreen, SectorEditorRepairsAnUnreadableVtoc) {
  auto md = image("disk.dsk");
  save(*md, "A", 0x04, 256);
  const TSECTOR good = md->MASS[17][0];
  md->MASS[17][0].fill(UNREAD_FILL);
  FC_SAVEMEDIA(*md, false);
  const auto broken = testing::read_bytes(dir.file("disk.dsk"));
  int calls = 0;
  set_hexdump_hook([&](std::uint8_t* buf, std::int32_t size, std::int32_t offs, bool ro) {
    EXPECT_EQ(std::tuple(size, offs, ro), std::tuple(256, 0, false));
    std::copy(good.begin(), good.end(), buf);
    return ++calls == 2;  // the first change is not confirmed
  });
  screen->keys({KEYCODE_ENTER, 'x', HKEY_F12});
  shows({"Анализ VTOC:", "27: Неверно максимальное число t/s пар в t/s списке ($7A)."});
  screen->keys({KEYCODE_ESCAPE, KEYCODE_ENTER});
  check([&](MemoryConsole&) { EXPECT_EQ(testing::read_bytes(dir.file("disk.dsk")), broken); });
  panel_shows({{6, "Ошибки: чтения, расширения, содержимого (см"}});  // cut at the edge
  screen->key(KEYCODE_ENTER);
  panel_shows({{6, "Ошибки: нет"}});
  screen->key(KEYCODE_ESCAPE);
  left_rows(3, {"   B  002  A"});
  quit({"disk.dsk"});
  EXPECT_EQ(calls, 2);
}

}  // namespace
}  // namespace agat
