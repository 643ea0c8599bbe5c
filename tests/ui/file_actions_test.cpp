// The file and media actions end to end: keys and menu items on the in-memory console,
// real images in a temporary directory, the screen and the files checked afterwards.
#include <gtest/gtest.h>

#include <filesystem>

#include "content/colours.h"
#include "support/session.h"

namespace agat {
namespace {

using testing::agat_name;
using testing::find_entry;
using testing::SessionTest;

class FileActionsTest : public SessionTest {
 protected:
  // Every image the test touched still has a VTOC that matches its catalogs and files.
  void expect_consistent(const std::string& name, TIMAGET type = ITI140) {
    auto md = read_image(name, type);
    EXPECT_EQ(FC_CRITICALERRORBUFFER, "");
    testing::DiskAudit(*md).expect_vtoc_matches();
  }
  std::vector<std::uint8_t> load(TMEDIA& md, const std::string& name) {
    static TFILEBUF buf;
    TCATREC* e = find_entry(md, name);
    if (e == nullptr) return {};
    FC_LOAD(*e, buf);
    return {buf.begin(), buf.begin() + e->SIZE};
  }
  // Opens a submenu of the main menu and chooses its item (both counted from 1).
  void menu(int submenu, int item) {
    screen->key(HKEY_F9);
    for (int i = 1; i < submenu; ++i) screen->key(HKEY_DOWN);
    screen->key(KEYCODE_ENTER);
    for (int i = 1; i < item; ++i) screen->key(HKEY_DOWN);
    screen->key(KEYCODE_ENTER);
  }
};

TEST_F(FileActionsTest, CopyAndMoveBetweenImages) {
  auto a = image("a.dsk");
  save(*a, "ONE", 0x04, 1000, 0x11);
  save(*a, "TWO", 0x00, 300, 0x22);
  save(*a, "THREE", 0x02, 10, 0x33);
  image("b.dsk");
  // F5 of the cursor file, then F6 of two marked files.
  screen->keys({KEYCODE_ENTER, KEYCODE_TAB, KEYCODE_ENTER, KEYCODE_TAB, HKEY_DOWN, HKEY_F5});
  check([&](MemoryConsole&) { EXPECT_NE(panel_row("ONE", false), 0); });
  screen->keys({HKEY_DOWN, ' ', ' ', HKEY_F6});
  check([&](MemoryConsole&) {
    EXPECT_NE(panel_row("TWO", false), 0);
    EXPECT_NE(panel_row("THREE", false), 0);
    EXPECT_EQ(screen->attribute_at(5, panel_row("TWO", true)), COL[PANEL_LST_DELE]);
  });
  screen->key(HKEY_F10);
  run({"a.dsk", "b.dsk"});

  auto a2 = read_image("a.dsk"), b2 = read_image("b.dsk");
  EXPECT_EQ(load(*b2, "ONE"), load(*a2, "ONE"));
  EXPECT_EQ(load(*b2, "TWO").at(299), 0x22);
  EXPECT_NE(testing::find_deleted(*a2, "TWO"), nullptr);  // moved: deleted at the source
  EXPECT_EQ(find_entry(*b2, "THREE")->EXT, 0x02);
  expect_consistent("a.dsk");
  expect_consistent("b.dsk");
}

TEST_F(FileActionsTest, ToAHostDirectoryAndBack) {
  auto a = image("a.dsk");
  save(*a, "MY PROG", 0x84, 600, 0x44);
  testing::write_bytes(dir.file("MY PROG.FIL"),
                       std::vector<std::uint8_t>(43, 0xA0));  // the name is taken
  std::filesystem::create_directory(dir.file("out"));
  screen->keys({KEYCODE_ENTER, HKEY_DOWN, HKEY_F5});  // copy into the start directory
  screen->keys({KEYCODE_TAB, HKEY_HOME});
  screen->then([&](MemoryConsole&) {
    EXPECT_TRUE(std::filesystem::exists(dir.file("MY PROG~1.FIL")));
    EXPECT_EQ(testing::read_bytes(dir.file("MY PROG.FIL")).size(), 43u);
  });
  screen->keys({KEYCODE_TAB, HKEY_F6});  // move into "out"... the other panel is the start dir
  screen->key(HKEY_F10);
  run({"a.dsk"});
  const auto fil = testing::read_bytes(dir.file("MY PROG~1.FIL"));
  ASSERT_EQ(fil.size(), 40u + 768u);
  EXPECT_EQ(fil[39], 0x84);
  EXPECT_EQ(fil[40], 0x44);
  EXPECT_TRUE(std::filesystem::exists(dir.file("MY PROG~2.FIL")));  // the move
  auto a2 = read_image("a.dsk");
  EXPECT_NE(testing::find_deleted(*a2, "MY PROG"), nullptr);
  expect_consistent("a.dsk");
}

TEST_F(FileActionsTest, FilFilesMoveIntoAnImage) {
  image("b.dsk");
  for (const char* n : {"A", "B"}) {
    std::vector<std::uint8_t> bytes(40 + 100, 0x55);
    const TAGATNAME name = agat_name(std::string("FROM HOST ") + n);
    std::copy(name.begin(), name.end(), bytes.begin());
    bytes[39] = 0x00;
    testing::write_bytes(dir.file(std::string(n) + ".fil"), bytes);
  }
  screen->keys({KEYCODE_TAB, KEYCODE_ENTER, KEYCODE_TAB, '+', HKEY_F6});
  screen->key(HKEY_F10);
  run({"", "b.dsk"});
  EXPECT_FALSE(std::filesystem::exists(dir.file("A.fil")));
  EXPECT_FALSE(std::filesystem::exists(dir.file("B.fil")));
  auto b = read_image("b.dsk");
  EXPECT_EQ(load(*b, "FROM HOST A").at(99), 0x55);
  EXPECT_NE(find_entry(*b, "FROM HOST B"), nullptr);
  expect_consistent("b.dsk");
}

TEST_F(FileActionsTest, AMoveIntoAnImageThatFillsUpStopsTheBatch) {
  auto a = image("a.dsk");
  for (const char* n : {"F1", "F2", "F3"}) save(*a, n, 0x04, 100 * 256);
  auto b = image("b.dsk");
  save(*b, "FILLER", 0x04, 380 * 256);  // 542 - 384 = 158 free: room for one file of 101
  screen->keys({KEYCODE_ENTER, KEYCODE_TAB, KEYCODE_ENTER, KEYCODE_TAB, '+', HKEY_F6});
  check([&](MemoryConsole& s) {
    EXPECT_TRUE(s.contains(" Критические ошибки "));
    EXPECT_TRUE(s.contains("Выделение сектора: закончилось свободное пространство среды."));
  });
  screen->keys({KEYCODE_ESCAPE, HKEY_F10});
  run({"a.dsk", "b.dsk"});
  auto a2 = read_image("a.dsk"), b2 = read_image("b.dsk");
  EXPECT_NE(testing::find_deleted(*a2, "F1"), nullptr);
  EXPECT_NE(find_entry(*a2, "F2"), nullptr);
  EXPECT_NE(find_entry(*a2, "F3"), nullptr);
  EXPECT_NE(find_entry(*b2, "F1"), nullptr);
  EXPECT_EQ(find_entry(*b2, "F2"), nullptr);
  EXPECT_EQ(find_entry(*b2, "F3"), nullptr);
  expect_consistent("a.dsk");
  expect_consistent("b.dsk");
}

TEST_F(FileActionsTest, CopyOrMoveOntoTheSameCatalogIsRefused) {
  auto a = image("a.dsk");
  save(*a, "KEEP", 0x04, 500, 0x66);
  const auto before = testing::read_bytes(dir.file("a.dsk"));
  for (std::uint16_t key : {HKEY_F6, HKEY_F5}) {
    screen->keys({KEYCODE_ENTER, KEYCODE_TAB, KEYCODE_ENTER, KEYCODE_TAB, HKEY_DOWN, key});
    check([&](MemoryConsole& s) {
      EXPECT_TRUE(s.contains(" Критические ошибки "));
      EXPECT_TRUE(s.contains("в тот же каталог"));
    });
    screen->keys({KEYCODE_ESCAPE, KEYCODE_BACKSPACE, KEYCODE_TAB, KEYCODE_BACKSPACE, KEYCODE_TAB});
  }
  // A ".FIL" file moved onto its own directory stays too.
  testing::write_bytes(dir.file("X.FIL"), std::vector<std::uint8_t>(45, 0xC1));
  screen->keys({ctrl_key('R'), HKEY_F6, KEYCODE_ESCAPE});
  screen->key(HKEY_F10);
  run({"a.dsk", "a.dsk"});
  EXPECT_EQ(testing::read_bytes(dir.file("a.dsk")), before);
  EXPECT_EQ(testing::read_bytes(dir.file("X.FIL")).size(), 45u);
}

TEST_F(FileActionsTest, RenameWithTypeChange) {
  auto a = image("a.dsk");
  save(*a, "PROG", 0x84, 10);
  screen->keys({KEYCODE_ENTER, HKEY_DOWN, 'r'});
  check([&](MemoryConsole& s) {
    EXPECT_TRUE(s.contains(" Переименование и смена типа "));
    EXPECT_TRUE(s.contains("Выберите новый тип файла"));
    // The preselected button is "B": drawn in the menu colour with its halves swapped.
    const int y = s.find_row("Выберите новый тип файла") + 1;
    const std::string r = s.row(y);
    ASSERT_NE(r.find(" B "), std::string::npos) << r;
    std::size_t pos = 0;
    int column = 1;
    while (pos < r.find(" B ")) utf8_decode(r, pos), ++column;
    const std::uint8_t menu = COL[MN_FTYP_MENU];
    EXPECT_EQ(s.attribute_at(column + 1, y), static_cast<std::uint8_t>((menu >> 4) | (menu << 4)));
  });
  screen->keys({KEYCODE_ESCAPE});  // nothing changes, not even a reload
  screen->keys({'r', HKEY_LEFT, HKEY_LEFT, HKEY_LEFT, KEYCODE_ENTER});
  check([&](MemoryConsole& s) { EXPECT_TRUE(s.contains(" Введите новое имя файла ")); });
  screen->text("ПРОГРАММА");
  screen->key(KEYCODE_ENTER);
  check([&](MemoryConsole&) {
    const int y = panel_row("ПРОГРАММА", true);
    ASSERT_NE(y, 0);
    EXPECT_EQ(screen->attribute_at(3, y), COL[PANEL_LST_CURS]);  // the cursor follows the name
    EXPECT_NE(left(y).find("*T  002  ПРОГРАММА"), std::string::npos) << left(y);
  });
  // Type chosen, name dialog left with Escape: nothing changes.
  screen->keys({'r', HKEY_RIGHT, KEYCODE_ENTER, KEYCODE_ESCAPE});
  screen->key(HKEY_F10);
  run({"a.dsk"});
  auto a2 = read_image("a.dsk");
  ASSERT_NE(find_entry(*a2, "ПРОГРАММА"), nullptr);
  EXPECT_EQ(find_entry(*a2, "ПРОГРАММА")->EXT, 0x80);
}

TEST_F(FileActionsTest, RenameSubCatalogsHostDirectoriesAndImages) {
  auto a = image("a.dsk");
  FC_MAKEDIR(*a, agat_name("OLD"));
  std::filesystem::create_directory(dir.file("folder"));
  screen->keys({KEYCODE_ENTER, HKEY_DOWN, 'r'});
  check([&](MemoryConsole& s) { EXPECT_TRUE(s.contains(" Введите новое имя BTK-каталога ")); });
  screen->text("NEW");
  screen->keys({KEYCODE_ENTER, KEYCODE_BACKSPACE});
  screen->key(ctrl_key('S'));  // sorted: the directories, then the image
  screen->keys({HKEY_END, 'r'});
  check([&](MemoryConsole& s) { EXPECT_TRUE(s.contains(" Введите новое имя образа ")); });
  screen->text("b.dsk");
  screen->keys({KEYCODE_ENTER, HKEY_HOME, 'r'});  // ".." cannot be renamed
  screen->keys({KEYCODE_ENTER});
  screen->key(HKEY_F10);
  run({"a.dsk"});
  EXPECT_TRUE(std::filesystem::exists(dir.file("b.dsk")));
  auto b = read_image("b.dsk");
  TCATREC* sub = find_entry(*b, "NEW");
  ASSERT_NE(sub, nullptr);
  // The slave entry inside carries the new name too.
  const TCATREC33& slave = as<TCATSECTOR>(b->MASS[sub->TTSL][sub->STSL]).CR[0];
  EXPECT_TRUE(std::equal(std::begin(slave.N), std::end(slave.N), agat_name("NEW").begin()));
}

TEST_F(FileActionsTest, RenameAHostDirectory) {
  std::filesystem::create_directory(dir.file("folder"));
  screen->keys({'r'});
  check([&](MemoryConsole& s) { EXPECT_TRUE(s.contains(" Введите новое имя Host-каталога ")); });
  screen->text("папка");
  screen->keys({KEYCODE_ENTER});
  check([&](MemoryConsole&) {
    const int y = panel_row("HostDir: папка", true);
    ASSERT_NE(y, 0);
    EXPECT_EQ(screen->attribute_at(3, y), COL[PANEL_LST_CURS]);
  });
  screen->key(HKEY_F10);
  run({"folder"});
  EXPECT_TRUE(std::filesystem::is_directory(dir.file("папка")));
}

TEST_F(FileActionsTest, LockUnlockAndToggleFromTheMenu) {
  auto a = image("a.dsk");
  save(*a, "A", 0x04, 10);
  save(*a, "B", 0x84, 10);
  save(*a, "C", 0x00, 10);
  screen->keys({KEYCODE_ENTER, HKEY_DOWN});
  menu(2, 6);  // lock the cursor file
  screen->keys({HKEY_DOWN, ' ', HKEY_DOWN, ' '});
  menu(2, 5);  // toggle the marked B and C
  screen->key(HKEY_F10);
  run({"a.dsk"});
  auto a2 = read_image("a.dsk");
  EXPECT_EQ(find_entry(*a2, "A")->EXT, 0x84);
  EXPECT_EQ(find_entry(*a2, "B")->EXT, 0x04);
  EXPECT_EQ(find_entry(*a2, "C")->EXT, 0x80);

  screen->keys({KEYCODE_ENTER, '+'});
  menu(2, 4);  // unlock everything marked
  screen->key(HKEY_F10);
  run({"a.dsk"});
  a2 = read_image("a.dsk");
  for (const char* n : {"A", "B", "C"}) EXPECT_EQ(find_entry(*a2, n)->EXT & 0x80, 0) << n;
}

TEST_F(FileActionsTest, MakeCatalogsInAnImageAndOnTheHost) {
  image("a.dsk");
  screen->keys({KEYCODE_ENTER, HKEY_F7});
  check([&](MemoryConsole& s) { EXPECT_TRUE(s.contains(" Введите имя нового BTK-каталога ")); });
  screen->text("ИГРЫ");
  screen->keys({KEYCODE_ENTER, KEYCODE_ENTER});  // made, the cursor on it; entered
  check([&](MemoryConsole&) {
    EXPECT_EQ(left(3), "  BTK Dir: ИГРЫ");
    EXPECT_EQ(left(24), dir.host_path() + "a.dsk");
  });
  screen->keys({KEYCODE_BACKSPACE, HKEY_F7});
  check([&](MemoryConsole& s) { EXPECT_TRUE(s.contains(" Введите имя нового HostFS-каталога ")); });
  screen->text("новая папка");
  screen->keys({KEYCODE_ENTER, HKEY_F10});
  run({"a.dsk"});
  EXPECT_TRUE(std::filesystem::is_directory(dir.file("новая папка")));
  expect_consistent("a.dsk");
}

TEST_F(FileActionsTest, DeleteAndUndelete) {
  auto a = image("a.dsk");
  save(*a, "GONE", 0x04, 1000);
  testing::write_bytes(dir.file("host.FIL"), std::vector<std::uint8_t>(40, 0xA0));
  // In an image: no question; the file shows as deleted and F4 brings it back.
  screen->keys({KEYCODE_ENTER, HKEY_DOWN, HKEY_F8});
  check([&](MemoryConsole& s) {
    EXPECT_FALSE(s.contains(" Подтвердите "));
    EXPECT_EQ(s.attribute_at(5, 3), COL[PANEL_LST_CURS]);
    EXPECT_EQ(screen->attribute_at(45, 3), COL[PANEL_LST_BASE]);
  });
  screen->keys({KEYCODE_TAB});
  check([&](MemoryConsole& s) { EXPECT_EQ(s.attribute_at(5, 3), COL[PANEL_LST_DELE]); });
  screen->keys({KEYCODE_TAB, HKEY_F4});
  screen->keys({KEYCODE_TAB});
  check([&](MemoryConsole& s) { EXPECT_EQ(s.attribute_at(5, 3), COL[PANEL_LST_BASE]); });
  screen->keys({KEYCODE_TAB, KEYCODE_BACKSPACE, ctrl_key('S')});
  // On the host: the question; "Нет" and Escape keep the file, "Да" deletes it.
  screen->keys({HKEY_END, HKEY_F8});
  check([&](MemoryConsole& s) {
    EXPECT_TRUE(s.contains(" Подтвердите "));
    EXPECT_TRUE(s.contains("Удаление файлов необратимо. Выполнить ?"));
  });
  screen->keys({HKEY_RIGHT, KEYCODE_ENTER, HKEY_F8, KEYCODE_ESCAPE});
  screen->then([&](MemoryConsole&) { EXPECT_TRUE(std::filesystem::exists(dir.file("host.FIL"))); });
  screen->keys({HKEY_F8, KEYCODE_ENTER});
  screen->key(HKEY_F10);
  run({"a.dsk"});
  EXPECT_FALSE(std::filesystem::exists(dir.file("host.FIL")));
  auto a2 = read_image("a.dsk");
  const TCATREC& back = a2->CAT.CATREC[1];  // live again, its last name character $52 now
  EXPECT_NE(back.TTSL, 0xFF);
  EXPECT_TRUE(
      std::equal(back.AGATNAME.begin(), back.AGATNAME.end() - 1, agat_name("GONE").begin()));
  EXPECT_EQ(back.AGATNAME[29], 0x52);
  expect_consistent("a.dsk");
}

TEST_F(FileActionsTest, CleanCreateAndRenameVolume) {
  auto a = image("a.dsk");
  save(*a, "GONE", 0x04, 1000);
  FC_DELETE(*find_entry(*a, "GONE"));
  screen->keys({KEYCODE_ENTER, HKEY_F11});
  check([&](MemoryConsole& s) {
    EXPECT_TRUE(
        s.contains("Очистка образа небезопасна в случае ошибок в файловой системе. Выполнить ?"));
  });
  screen->key(KEYCODE_ENTER);
  menu(3, 6);  // "Изменить имя тома"
  check([&](MemoryConsole& s) { EXPECT_TRUE(s.contains(" Введите новое имя тома ")); });
  screen->text("МОЙ ДИСК");
  screen->key(KEYCODE_ENTER);
  check([&](MemoryConsole&) { EXPECT_EQ(left(1), "?МОЙ ДИСК"); });
  screen->key(KEYCODE_BACKSPACE);
  for (int item = 2; item <= 5; ++item) {
    menu(3, item);
    check([&](MemoryConsole& s) { EXPECT_TRUE(s.contains(" Введите имя нового образа ")); });
    screen->key(HKEY_HOME);  // typing at once would replace the proposed extension too
    screen->text("new" + std::to_string(item));
    screen->key(KEYCODE_ENTER);
  }
  screen->key(HKEY_F10);
  run({"a.dsk"});

  auto a2 = read_image("a.dsk");
  EXPECT_EQ(a2->CAT.CATREC[1].AGATNAME, TAGATNAME{});  // cleaned: a nameless deleted entry
  EXPECT_EQ(a2->CAT.CATREC[1].TTSL, 0xFF);
  EXPECT_TRUE(std::all_of(a2->MASS[16][15].begin(), a2->MASS[16][15].end(),
                          [](std::uint8_t b) { return b == 0xBD; }));
  EXPECT_EQ(a2->VOLUMEID[0], 0x8D);
  expect_consistent("a.dsk");
  const std::pair<const char*, TIMAGET> made[] = {
      {"new2.DSK", ITI140}, {"new3.NIB", ITN140}, {"new4.DSK", ITI800}, {"new5.NIB", ITN800}};
  for (auto [name, type] : made) {
    ASSERT_TRUE(std::filesystem::exists(dir.file(name))) << name;
    EXPECT_EQ(std::filesystem::file_size(dir.file(name)),
              static_cast<std::uintmax_t>(IMAGEDESC[type].FULLSIZE));
    auto md = read_image(name, type);
    EXPECT_EQ(md->FREESPACE, type == ITI140 || type == ITN140 ? 542u : 3335u);
    EXPECT_EQ(md->CAT.CATNUM, 1);
  }
}

}  // namespace
}  // namespace agat
