// The file manager end to end: its real main loop on the in-memory console with scripted
// keys, reading the screen cells and the files afterwards.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "content/colours.h"
#include "ui/fixtures.h"

namespace agat {
namespace {

using Sorbel = testing::SorbelTest;

const std::uint16_t CTRL_S = ctrl_key('S');

// A directory "many" of 40 directories.
void make_many(const testing::TempDir& dir) {
  for (int i = 0; i < 40; ++i)
    std::filesystem::create_directories(dir.file("many/d" + std::to_string(i)));
}

TEST_F(Sorbel, StartsWithAndWithoutParametersOnAnyScreenAndEndsWithFin) {
  for (const char* name : {"a.dsk", "b.dsk", "c.dsk"}) image(name);
  std::filesystem::create_directory(dir.file("subdir"));
  // Without parameters both panels show the start directory, the left one current.
  check([&](MemoryConsole& s) {
    for (const char* text : {"HostDir: ..", "HostDir: subdir", "DSK 140: a.dsk"})
      EXPECT_TRUE(panel_row(text, true) != 0 && panel_row(text, false) != 0) << text;
    EXPECT_EQ(left(24), dir.host_path().substr(0, 39));
    EXPECT_EQ(left(23).rfind("Свободно ", 0), 0u);
    // The current panel's cursor row is highlighted; the other one shows "+".
    EXPECT_EQ(s.cell(42, 2).ch, U'+');
    EXPECT_FALSE(s.cursor_visible());
  });
  left_rows(25, {"Без сортировки"});
  attribute_is(1, 2, COL[PANEL_LST_CURS]);
  attribute_is(42, 2, COL[PANEL_LST_BASE]);
  quit();
  EXPECT_EQ(screen->row_trimmed(25), "FIN");

  // The parameters place the cursors.
  check([&](MemoryConsole& s) {
    const int left_row = panel_row("b.dsk", true), right_row = panel_row("c.dsk", false);
    EXPECT_EQ(s.attribute_at(2, left_row), COL[PANEL_LST_CURS]);
    EXPECT_EQ(std::pair(s.cell(2, left_row).ch, s.cell(42, right_row).ch), std::pair(U'+', U'+'));
  });
  quit({"b.dsk", "c.dsk"});

  // A larger screen, then a resize.
  use_screen(120, 40);
  check([&](MemoryConsole& s) {
    EXPECT_EQ(s.row_trimmed(40).rfind("Без сортировки", 0), 0u);
    EXPECT_NE(panel_row("DSK 140: a.dsk", false), 0);
    EXPECT_EQ(s.cell(60, 2).ch, U' ');  // the column between the halves
  });
  screen->resize(60, 20);
  check([&](MemoryConsole& s) {
    EXPECT_EQ(s.row_trimmed(20).rfind("Без сортировки", 0), 0u);
    EXPECT_NE(panel_row("a.dsk", false), 0);
  });
  quit();

  // ".." heads every host listing: Backspace and Left go up from any directory. At the root
  // there is no "..", and they do nothing.
  use_screen(80, 25);
  make_many(dir);
  for (const std::uint16_t up : {KEYCODE_BACKSPACE, HKEY_LEFT}) {
    screen->key(KEYCODE_ENTER);
    left_rows(24, {dir.host_path() + "many/"});
    screen->key(up);
    left_rows(24, {dir.host_path()});
  }
  quit({"many"});
  std::filesystem::current_path("/");
  screen->keys({KEYCODE_BACKSPACE, HKEY_LEFT});
  left_rows(24, {"/"});
  quit();
}

// A submenu that closes leaves the main menu over the panels exactly as before it opened,
// each of the seven, however wide. A resize scrolls both panels, the other one too: a taller
// screen is filled from the first entry, a shorter one keeps the cursor's entry in view.
TEST_F(Sorbel, ClosedSubmenusAndResizesLeaveNoStaleRows) {
  make_many(dir);
  auto before = std::make_shared<std::string>();
  screen->key(HKEY_F9);
  for (int k = 0; k < 7; ++k) {
    if (k > 0) screen->key(HKEY_DOWN);
    check([before](MemoryConsole& s) { *before = s.screen_text(); });
    screen->key(KEYCODE_ENTER);
    check([before, k](MemoryConsole& s) { EXPECT_NE(s.screen_text(), *before) << k; });
    screen->key(KEYCODE_ESCAPE);
    check([before, k](MemoryConsole& s) { EXPECT_EQ(s.screen_text(), *before) << k; });
  }
  screen->key(KEYCODE_ESCAPE);

  // Both panels in "many" (41 entries with ".."), each cursor on the last entry.
  screen->keys({KEYCODE_ENTER, HKEY_END, KEYCODE_TAB, KEYCODE_ENTER, HKEY_END, KEYCODE_TAB});
  // The cursor's row of each half shows "+" in its second column.
  const auto cursor_rows = [this](int left_row, int right_row) {
    check([=](MemoryConsole& s) {
      for (int y = 2; y <= s.height() - 3; ++y) {
        EXPECT_EQ(s.cell(2, y).ch == U'+', y == left_row) << y << "\n" << s.screen_text();
        EXPECT_EQ(s.cell(s.width() / 2 + 2, y).ch == U'+', y == right_row) << y;
      }
    });
  };
  cursor_rows(22, 22);     // the list on rows 2..22, the cursor on its last
  screen->resize(80, 60);  // 56 rows: all 41 entries, the last on row 42
  cursor_rows(42, 42);
  left_rows(43, {""});
  left_rows(2, {"  HostDir: .."});
  screen->resize(80, 12);  // 8 rows: the last entry on the last of them
  cursor_rows(9, 9);
  screen->keys({KEYCODE_TAB, HKEY_HOME});
  screen->resize(80, 30);  // 26 rows: the left panel, now the other, filled to its end
  cursor_rows(27, 2);
  right_rows(2, {" +HostDir: .."});
  quit({"many", "many"});
}

TEST_F(Sorbel, EnteringAndLeavingImagesAndSubCatalogs) {
  auto md = image("disk.dsk");
  save(*md, "FIRST", 0x04, 700);
  FC_MAKEDIR(*md, testing::agat_name("SUB"));
  FC_READCAT(*md);
  FC_CHDIR(*testing::find_entry(*md, "SUB"));
  FC_READCAT(*md);
  save(*md, "INNER", 0x00, 10);
  FC_CHDIR(md->CAT.CATREC[1]);

  screen->key(KEYCODE_ENTER);  // into the image: the cursor on ".."
  left_rows(2, {" +HostDir: ..", "   B  004  FIRST", "  BTK Dir: SUB"});
  left_rows(23, {"Свободно 534 блока(ов)", dir.host_path() + "disk.dsk"});
  screen->keys({HKEY_END, HKEY_RIGHT});  // into the sub-catalog
  left_rows(2, {" +HostDir: ..", "  BTK Dir: SUB", "   T  002  INNER"});
  screen->keys({HKEY_DOWN, KEYCODE_ENTER});  // the slave entry leads back
  left_rows(3, {"   B  004  FIRST"});
  screen->keys({KEYCODE_BACKSPACE});  // out of the image: the cursor on it
  check([&](MemoryConsole& s) {
    EXPECT_EQ(s.attribute_at(2, panel_row("disk.dsk", true)), COL[PANEL_LST_CURS]);
  });
  quit({"disk.dsk"});
  // The image reopens where the user was last: in its main catalog.
  EXPECT_NE(testing::find_entry(*read_image("disk.dsk"), "FIRST"), nullptr);
}

TEST_F(Sorbel, MarksAndTheSummaryLine) {
  auto md = image("disk.dsk");
  for (auto [name, sectors] : {std::pair{"A", 1}, {"B", 2}, {"C", 9}, {"GONE", 1}})
    save(*md, name, 0x04, 256 * sectors);  // each with its T/S list: 2, 3, 10 and 2 sectors
  FC_DELETE(*testing::find_entry(*md, "GONE"));

  screen->keys({KEYCODE_ENTER, HKEY_DOWN, ' ', HKEY_IC, ' '});
  left_rows(25, {"Отмечено 15 блока(ов) в 3 файлах"});
  left_rows(3, {">  B  002  A"});
  attribute_is(3, 3, COL[PANEL_LST_SEL]);
  attribute_is(3, 6, COL[PANEL_LST_CURS]);  // the cursor moved down
  screen->key('-');
  left_rows(25, {"Без сортировки"});
  screen->key('+');  // everything but the deleted file
  left_rows(25, {"Отмечено 15 блока(ов) в 4 файлах"});
  check([&](MemoryConsole& s) { EXPECT_EQ(s.cell(1, 6).ch, U' '); });
  screen->key('*');  // every mark switched
  left_rows(25, {"Отмечено 2 блока(ов) в 1 файлах"});
  attribute_is(3, 6, COL[PANEL_LST_CURS]);
  check([&](MemoryConsole& s) { EXPECT_EQ(s.cell(1, 6).ch, U'>'); });
  screen->keys({HKEY_UP, '='});
  attribute_is(3, 6, COL[PANEL_LST_DELE]);
  quit({"disk.dsk"});
}

TEST_F(Sorbel, SortOrdersPanelSwitchAndSwap) {
  auto md = image("disk.dsk");
  for (auto [name, type] : {std::pair{"ZED", 0x00}, {"BETA", 0x04}, {"ALPHA", 0x02}})
    save(*md, name, static_cast<std::uint8_t>(type), 10);
  screen->keys({KEYCODE_ENTER, CTRL_S});
  left_rows(3, {"   A  002  ALPHA", "   B  002  BETA", "   T  002  ZED"});
  left_rows(25, {"Сортировка по имени"});
  screen->key(CTRL_S);
  left_rows(3, {"   T  002  ZED", "   A  002  ALPHA", "   B  002  BETA"});
  left_rows(25, {"Сортировка по типу"});
  screen->key(CTRL_S);
  left_rows(3, {"   T  002  ZED", "   B  002  BETA", "   A  002  ALPHA"});
  left_rows(25, {"Без сортировки"});
  screen->key(KEYCODE_TAB);  // the right panel is current now
  attribute_is(42, 2, COL[PANEL_LST_CURS]);
  check([&](MemoryConsole& s) { EXPECT_NE(s.attribute_at(2, 2), COL[PANEL_LST_CURS]); });
  screen->key(ctrl_key('U'));  // the halves exchange; the right panel stays current
  right_rows(3, {"   T  002  ZED"});
  attribute_is(2, 2, COL[PANEL_LST_CURS]);
  screen->keys({ctrl_key('U'), KEYCODE_TAB, 'a'});  // the other panel shows the image too
  right_rows(4, {"   B  002  BETA"});
  quit({"disk.dsk"});
}

TEST_F(Sorbel, HelpAndTheMainMenu) {
  // "m" where no file manager is found on the search path says so, and what to install.
  const std::string path = std::getenv("PATH") != nullptr ? std::getenv("PATH") : "";
  ::setenv("PATH", "", 1);
  screen->key('m');
  shows({" Файловый менеджер ", "не найден", "mc"});
  screen->keys({KEYCODE_ESCAPE, HKEY_F1});
  shows({" Справка ", "dos33 Sorbel v2.0", "F10 - выход из программы - это тоже вариант."});
  screen->keys({'x', HKEY_F9});
  shows({" Главное меню "});
  // The first item chosen; Up goes round to the last, Down round to the first again.
  for (auto [key, item, mark] :
       {std::tuple<std::uint16_t, const char*, const char*>{0, "Просмотр файла", ">>"},
        {HKEY_UP, "Выход из программы", "F10"}}) {
    if (key != 0) screen->key(key);
    check([&, item = item, mark = mark](MemoryConsole& s) {
      const int y = s.find_row(item);
      EXPECT_NE(s.row(y).find(mark), std::string::npos) << item;
      EXPECT_EQ(s.attribute_at(column_of(item, y), y), COL[MN_MAIN_SELTEXT]) << item;
    });
  }
  screen->keys({HKEY_DOWN, KEYCODE_ENTER});  // round to the first again, and its submenu
  shows({" Просмотр файла ", "ФРГ MouseGraf"});
  // Out of both menus; then a key of the table works inside the menu.
  screen->keys({KEYCODE_ESCAPE, KEYCODE_ESCAPE, HKEY_F9, ctrl_key('U')});
  check([&](MemoryConsole& s) { EXPECT_FALSE(s.contains(" Главное меню ")); });
  screen->keys({HKEY_F9, HKEY_UP, KEYCODE_ENTER});  // "Выход из программы"
  run();
  ::setenv("PATH", path.c_str(), 1);
  EXPECT_EQ(screen->row_trimmed(25), "FIN");
}

TEST_F(Sorbel, ErrorsAsABoxAndAsTheViewer) {
  auto md = image("broken.dsk");
  md->MASS[17][0].fill(0xBD);
  FC_SAVEMEDIA(*md, false);
  const auto bad = [&](int i) { return dir.file("bad" + std::to_string(i) + ".FIL"); };
  for (int i = 0; i < 25; ++i) testing::write_bytes(bad(i), {1});

  // 25 unreadable ".FIL" headers: more warning lines than a box holds.
  row_is(1, "              Предупреждения:");
  attribute_is(20, 1, COL[WARN_HEADER]);
  check([&](MemoryConsole& s) {
    EXPECT_NE(s.row(2).find("ReadCat: не удалось обратится к файлу bad"), std::string::npos);
  });
  screen->key(KEYCODE_ESCAPE);
  screen->then([&](MemoryConsole&) {  // the second panel's report; then the files go
    for (int i = 0; i < 25; ++i) std::filesystem::remove(bad(i));
  });
  screen->keys({KEYCODE_ESCAPE, KEYCODE_ENTER});  // into the broken image
  shows({" Критические ошибки ", "Чтение каталога среды: VTOC: сектор 17/0 не читается"});
  screen->key('x');
  left_rows(2, {" +HostDir: ..", ""});  // only ".." can be listed
  left_rows(23, {"Свободно 0 блока(ов)"});
  quit({"broken.dsk"});
}

TEST_F(Sorbel, ReloadShowsChangesAndFallsBackOutwardFromWhatIsGone) {
  image("disk.dsk");
  std::filesystem::create_directories(dir.file("a/b"));
  screen->key(KEYCODE_ENTER);  // into the image, which then goes
  screen->then([&](MemoryConsole&) { std::filesystem::remove(dir.file("disk.dsk")); });
  screen->key(ctrl_key('R'));  // its directory is shown instead
  shows({"Чтение образа: ошибка открытия файла (нет такого файла или каталога)"});
  screen->key(KEYCODE_ESCAPE);
  left_rows(24, {dir.host_path()});
  screen->then([&](MemoryConsole&) {
    EXPECT_EQ(panel_row("late.dsk", true), 0);
    testing::create_image(dir.host_path(), "late.dsk", ITI140);
  });
  screen->key(ctrl_key('R'));
  check([&](MemoryConsole&) { EXPECT_NE(panel_row("DSK 140: late.dsk", true), 0); });
  screen->keys({KEYCODE_TAB, CTRL_S});  // the other panel into "a/b", then "a" goes
  screen->keys({HKEY_HOME, HKEY_DOWN, KEYCODE_ENTER, HKEY_DOWN, KEYCODE_ENTER});
  right_rows(24, {dir.host_path() + "a/b/"});
  screen->then([&](MemoryConsole&) { std::filesystem::remove_all(dir.file("a")); });
  screen->key(ctrl_key('R'));
  right_rows(24, {dir.host_path()});
  quit({"disk.dsk"});
}

}  // namespace
}  // namespace agat
