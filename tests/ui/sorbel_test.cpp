// The file manager end to end: its real main loop on the in-memory console with scripted
// keys, reading the screen cells and the files afterwards.
#include <gtest/gtest.h>

#include <filesystem>

#include "content/colours.h"
#include "support/session.h"

namespace agat {
namespace {

using testing::SessionTest;

const std::uint16_t CTRL_S = ctrl_key('S');

TEST_F(SessionTest, StartsWithBothPanelsOnTheStartDirectoryAndEndsWithFin) {
  image("disk.dsk");
  std::filesystem::create_directory(dir.file("subdir"));
  check([&](MemoryConsole& s) {
    for (bool left_half : {true, false}) {
      EXPECT_NE(panel_row("HostDir: ..", left_half), 0);
      EXPECT_NE(panel_row("HostDir: subdir", left_half), 0);
      EXPECT_NE(panel_row("DSK 140: disk.dsk", left_half), 0);
    }
    EXPECT_EQ(left(24), dir.host_path().substr(0, 39));
    EXPECT_EQ(left(25), "Без сортировки");
    EXPECT_EQ(left(23).rfind("Свободно ", 0), 0u);
    // The left panel is current: its cursor row is highlighted; the right one shows "+".
    EXPECT_EQ(s.attribute_at(1, 2), COL[PANEL_LST_CURS]);
    EXPECT_EQ(s.cell(42, 2).ch, U'+');
    EXPECT_EQ(s.attribute_at(42, 2), COL[PANEL_LST_BASE]);
    EXPECT_FALSE(s.cursor_visible());
  });
  screen->key(HKEY_F10);
  run();
  EXPECT_EQ(screen->row_trimmed(25), "FIN");
}

TEST_F(SessionTest, ParametersPlaceTheCursors) {
  image("a.dsk");
  image("b.dsk");
  image("c.dsk");
  check([&](MemoryConsole& s) {
    const int left_row = panel_row("b.dsk", true), right_row = panel_row("c.dsk", false);
    EXPECT_EQ(s.attribute_at(2, left_row), COL[PANEL_LST_CURS]);
    EXPECT_EQ(s.cell(2, left_row).ch, U'+');
    EXPECT_EQ(s.cell(42, right_row).ch, U'+');
  });
  screen->key(HKEY_F10);
  run({"b.dsk", "c.dsk"});
}

TEST_F(SessionTest, EnteringAndLeavingImagesAndSubCatalogs) {
  auto md = image("disk.dsk");
  save(*md, "FIRST", 0x04, 700);
  FC_MAKEDIR(*md, testing::agat_name("SUB"));
  FC_READCAT(*md);
  FC_CHDIR(*testing::find_entry(*md, "SUB"));
  FC_READCAT(*md);
  save(*md, "INNER", 0x00, 10);
  FC_CHDIR(md->CAT.CATREC[1]);

  screen->key(KEYCODE_ENTER);  // into the image: the cursor on ".."
  check([&](MemoryConsole&) {
    EXPECT_EQ(left(2), " +HostDir: ..");
    EXPECT_EQ(left(3), "   B  004  FIRST");
    EXPECT_EQ(left(4), "  BTK Dir: SUB");
    EXPECT_EQ(left(24), dir.host_path() + "disk.dsk");
    EXPECT_EQ(left(23), "Свободно 534 блока(ов)");
  });
  screen->keys({HKEY_END, HKEY_RIGHT});  // into the sub-catalog
  check([&](MemoryConsole&) {
    EXPECT_EQ(left(2), " +HostDir: ..");
    EXPECT_EQ(left(3), "  BTK Dir: SUB");
    EXPECT_EQ(left(4), "   T  002  INNER");
  });
  screen->keys({HKEY_DOWN, KEYCODE_ENTER});  // the slave entry leads back
  check([&](MemoryConsole&) { EXPECT_EQ(left(3), "   B  004  FIRST"); });
  screen->keys({KEYCODE_BACKSPACE});  // out of the image: the cursor on it
  check([&](MemoryConsole& s) {
    const int y = panel_row("disk.dsk", true);
    EXPECT_EQ(s.attribute_at(2, y), COL[PANEL_LST_CURS]);
  });
  screen->keys({HKEY_F10});
  run({"disk.dsk"});
  // The image reopens where the user was last: in its main catalog.
  auto again = testing::image_medium(dir.host_path(), "disk.dsk", ITI140);
  FC_READCAT(*again);
  EXPECT_NE(testing::find_entry(*again, "FIRST"), nullptr);
}

TEST_F(SessionTest, MarksAndTheSummaryLine) {
  auto md = image("disk.dsk");
  save(*md, "A", 0x04, 256);      // 2 sectors
  save(*md, "B", 0x04, 512);      // 3
  save(*md, "C", 0x04, 9 * 256);  // 10
  save(*md, "GONE", 0x04, 256);
  FC_DELETE(*testing::find_entry(*md, "GONE"));

  screen->keys({KEYCODE_ENTER, HKEY_DOWN, ' ', HKEY_IC, ' '});
  check([&](MemoryConsole&) {
    EXPECT_EQ(left(25), "Отмечено 15 блока(ов) в 3 файлах");
    EXPECT_EQ(left(3), ">  B  002  A");
    EXPECT_EQ(screen->attribute_at(3, 3), COL[PANEL_LST_SEL]);
    EXPECT_EQ(screen->attribute_at(3, 6), COL[PANEL_LST_CURS]);  // the cursor moved down
  });
  screen->key('-');
  check([&](MemoryConsole&) { EXPECT_EQ(left(25), "Без сортировки"); });
  screen->key('+');  // everything but the deleted file
  check([&](MemoryConsole& s) {
    EXPECT_EQ(left(25), "Отмечено 15 блока(ов) в 4 файлах");
    EXPECT_EQ(s.cell(1, 6).ch, U' ');
  });
  screen->key('*');  // every mark switched
  check([&](MemoryConsole& s) {
    EXPECT_EQ(left(25), "Отмечено 2 блока(ов) в 1 файлах");
    EXPECT_EQ(s.attribute_at(3, 6), COL[PANEL_LST_CURS]);
    EXPECT_EQ(s.cell(1, 6).ch, U'>');
  });
  screen->keys({HKEY_UP, '='});
  check([&](MemoryConsole& s) { EXPECT_EQ(s.attribute_at(3, 6), COL[PANEL_LST_DELE]); });
  screen->key(HKEY_F10);
  run({"disk.dsk"});
}

TEST_F(SessionTest, SortOrdersPanelSwitchAndSwap) {
  auto md = image("disk.dsk");
  save(*md, "ZED", 0x00, 10);
  save(*md, "BETA", 0x04, 10);
  save(*md, "ALPHA", 0x02, 10);
  screen->keys({KEYCODE_ENTER, CTRL_S});
  check([&](MemoryConsole&) {
    EXPECT_EQ(left(25), "Сортировка по имени");
    EXPECT_EQ(left(3), "   A  002  ALPHA");
    EXPECT_EQ(left(5), "   T  002  ZED");
  });
  screen->key(CTRL_S);
  check([&](MemoryConsole&) {
    EXPECT_EQ(left(25), "Сортировка по типу");
    EXPECT_EQ(left(3), "   T  002  ZED");
    EXPECT_EQ(left(5), "   B  002  BETA");
  });
  screen->key(CTRL_S);
  check([&](MemoryConsole&) {
    EXPECT_EQ(left(25), "Без сортировки");
    EXPECT_EQ(left(3), "   T  002  ZED");
    EXPECT_EQ(left(4), "   B  002  BETA");
  });
  screen->key(KEYCODE_TAB);  // the right panel is current now
  check([&](MemoryConsole& s) {
    EXPECT_EQ(s.attribute_at(42, 2), COL[PANEL_LST_CURS]);
    EXPECT_NE(s.attribute_at(2, 2), COL[PANEL_LST_CURS]);
  });
  screen->key(ctrl_key('U'));  // the halves exchange; the right panel stays current
  check([&](MemoryConsole& s) {
    EXPECT_EQ(right(3), "   T  002  ZED");
    EXPECT_EQ(s.attribute_at(2, 2), COL[PANEL_LST_CURS]);
  });
  screen->keys({ctrl_key('U'), KEYCODE_TAB, 'a'});  // the other panel shows the image too
  check([&](MemoryConsole&) { EXPECT_EQ(right(4), "   B  002  BETA"); });
  screen->key(HKEY_F10);
  run({"disk.dsk"});
}

TEST_F(SessionTest, ReloadShowsWhatChangedOnDisk) {
  screen->then([&](MemoryConsole&) {
    EXPECT_EQ(panel_row("late.dsk", true), 0);
    testing::create_image(dir.host_path(), "late.dsk", ITI140);
  });
  screen->key(ctrl_key('R'));
  check([&](MemoryConsole&) { EXPECT_NE(panel_row("DSK 140: late.dsk", true), 0); });
  screen->key(HKEY_F10);
  run();
}

TEST_F(SessionTest, HelpAndTheMainMenu) {
  screen->key(HKEY_F1);
  check([&](MemoryConsole& s) {
    EXPECT_TRUE(s.contains(" Справка "));
    EXPECT_TRUE(s.contains("dos33 Sorbel v2.0"));
    EXPECT_TRUE(s.contains("F10 - выход из программы - это тоже вариант."));
  });
  screen->keys({'x', HKEY_F9});
  check([&](MemoryConsole& s) {
    EXPECT_TRUE(s.contains(" Главное меню "));
    const int y = s.find_row("Сравнение объектов");
    EXPECT_NE(s.row(y).find(">>"), std::string::npos);
    EXPECT_EQ(s.attribute_at(s.row(y).find("Сравнение") == std::string::npos ? 1 : 30, y),
              COL[MN_MAIN_SELTEXT]);
  });
  screen->key(HKEY_UP);  // from the first item round to the last
  check([&](MemoryConsole& s) {
    const int y = s.find_row("Выход из программы");
    std::size_t pos = 0;
    int column = 1;
    const std::string r = s.row(y);
    while (pos < r.find("Выход")) utf8_decode(r, pos), ++column;
    EXPECT_EQ(s.attribute_at(column, y), COL[MN_MAIN_SELTEXT]);
    EXPECT_NE(r.find("F10"), std::string::npos);
  });
  screen->keys({HKEY_DOWN, KEYCODE_ENTER});  // the submenu
  check([&](MemoryConsole& s) {
    EXPECT_TRUE(s.contains(" Сравнение объектов "));
    EXPECT_TRUE(s.contains("Посекторное сравнение двух образов"));
  });
  screen->keys({KEYCODE_ESCAPE, KEYCODE_ESCAPE});
  screen->keys({HKEY_F9, ctrl_key('U')});  // a key of the table works inside the menu
  check([&](MemoryConsole& s) { EXPECT_FALSE(s.contains(" Главное меню ")); });
  screen->keys({HKEY_F9, HKEY_UP, KEYCODE_ENTER});  // "Выход из программы"
  run();
  EXPECT_EQ(screen->row_trimmed(25), "FIN");
}

TEST_F(SessionTest, ErrorsAsABoxAndAsTheViewer) {
  auto md = image("broken.dsk");
  md->MASS[17][0].fill(0xBD);
  FC_SAVEMEDIA(*md, false);
  for (int i = 0; i < 25; ++i)
    testing::write_bytes(dir.file("bad" + std::to_string(i) + ".FIL"), {1});

  // 25 unreadable ".FIL" headers: more warning lines than a box holds.
  check([&](MemoryConsole& s) {
    EXPECT_EQ(s.row_trimmed(1), "              Предупреждения:");
    EXPECT_EQ(s.attribute_at(20, 1), COL[WARN_HEADER]);
    EXPECT_NE(s.row(2).find("ReadCat: не удалось обратится к файлу bad"), std::string::npos);
  });
  screen->key(KEYCODE_ESCAPE);
  screen->then([&](MemoryConsole&) {  // the second panel's report; then the files go
    for (int i = 0; i < 25; ++i)
      std::filesystem::remove(dir.file("bad" + std::to_string(i) + ".FIL"));
  });
  screen->key(KEYCODE_ESCAPE);
  screen->key(KEYCODE_ENTER);  // into the broken image
  check([&](MemoryConsole& s) {
    EXPECT_TRUE(s.contains(" Критические ошибки "));
    EXPECT_TRUE(s.contains("Чтение каталога среды: VTOC: сектор 17/0 не читается"));
  });
  screen->key('x');
  check([&](MemoryConsole&) {
    EXPECT_EQ(left(2), " +HostDir: ..");  // only ".." can be listed
    EXPECT_EQ(left(23), "Свободно 0 блока(ов)");
  });
  screen->keys({HKEY_F10});
  run({"broken.dsk"});
}

TEST_F(SessionTest, ImageComparisonReportInTheViewer) {
  auto a = image("a.dsk");
  save(*a, "FILE", 0x04, 256);
  std::filesystem::copy_file(dir.file("a.dsk"), dir.file("b.dsk"));
  auto b = testing::image_medium(dir.host_path(), "b.dsk", ITI140);
  FC_READCAT(*b);
  save(*b, "FILE", 0x04, 256, 0x22);  // the same name, other bytes
  screen->keys({KEYCODE_ENTER, KEYCODE_TAB, KEYCODE_ENTER, 'c'});
  check([&](MemoryConsole& s) {
    EXPECT_EQ(s.row_trimmed(1), "Сравнение образа " + dir.host_path() + "b.dsk");
    EXPECT_EQ(s.row_trimmed(2), "с образом        " + dir.host_path() + "a.dsk:");
    EXPECT_EQ(s.attribute_at(1, 1), COL[CR_ICMP_HEADER]);
  });
  screen->keys({KEYCODE_ESCAPE, HKEY_F10});
  run({"a.dsk", "b.dsk"});
}

TEST_F(SessionTest, ALargerScreenAndAResize) {
  use_screen(120, 40);
  image("disk.dsk");
  check([&](MemoryConsole& s) {
    EXPECT_EQ(s.row_trimmed(40).rfind("Без сортировки", 0), 0u);
    EXPECT_NE(panel_row("DSK 140: disk.dsk", false), 0);
    EXPECT_EQ(s.cell(60, 2).ch, U' ');  // the column between the halves
  });
  screen->resize(60, 20);
  check([&](MemoryConsole& s) {
    EXPECT_EQ(s.row_trimmed(20).rfind("Без сортировки", 0), 0u);
    EXPECT_NE(panel_row("disk.dsk", false), 0);
  });
  screen->key(HKEY_F10);
  run();
}

TEST_F(SessionTest, APlaceThatCannotBeShownFallsBackOutward) {
  image("disk.dsk");
  std::filesystem::create_directories(dir.file("a/b"));
  screen->key(KEYCODE_ENTER);  // into the image
  screen->then([&](MemoryConsole&) { std::filesystem::remove(dir.file("disk.dsk")); });
  screen->key(ctrl_key('R'));  // the image is gone: its directory is shown instead
  check([&](MemoryConsole& s) { EXPECT_TRUE(s.contains("Чтение образа: ошибка открытия файла")); });
  screen->key(KEYCODE_ESCAPE);
  check([&](MemoryConsole&) { EXPECT_EQ(left(24), dir.host_path()); });
  screen->keys({KEYCODE_TAB, ctrl_key('S')});  // the other panel into "a/b", then "a" goes
  screen->keys({HKEY_HOME, HKEY_DOWN, KEYCODE_ENTER, HKEY_DOWN, KEYCODE_ENTER});
  check([&](MemoryConsole&) { EXPECT_EQ(right(24), dir.host_path() + "a/b/"); });
  screen->then([&](MemoryConsole&) { std::filesystem::remove_all(dir.file("a")); });
  screen->key(ctrl_key('R'));
  check([&](MemoryConsole&) { EXPECT_EQ(right(24), dir.host_path()); });
  screen->key(HKEY_F10);
  run({"disk.dsk"});
}

TEST_F(SessionTest, BackspaceDoesNothingWhereTheFirstEntryIsNotTheParent) {
  std::filesystem::current_path("/");
  check([&](MemoryConsole&) { EXPECT_EQ(left(24), "/"); });
  screen->keys({KEYCODE_BACKSPACE, HKEY_LEFT});
  check([&](MemoryConsole&) { EXPECT_EQ(left(24), "/"); });
  screen->key(HKEY_F10);
  run();
}

}  // namespace
}  // namespace agat
