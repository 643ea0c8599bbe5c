// The file and media actions end to end: keys and menu items on the in-memory console,
// real images in a temporary directory, the screen and the files checked afterwards; the
// comparisons of files, and another program writing the image a panel shows.
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <filesystem>
#include <map>
#include <set>
#include <tuple>

#include "content/colours.h"
#include "core/image_form.h"
#include "ui/fixtures.h"

namespace agat {
namespace {

using testing::agat_name;
using testing::find_entry;

using FileActions = testing::SorbelTest;

// Runs a session in a child process that, as root (which ignores file modes), becomes "nobody".
void as_nobody(const std::function<void()>& session) {
  std::fflush(nullptr);
  if (const pid_t pid = ::fork(); pid != 0) {
    int status = -1;
    ::waitpid(pid, &status, 0);
    EXPECT_EQ(status, 0) << "the session as nobody failed";
    return;
  }
  if (::geteuid() != 0 ||
      (::setgroups(0, nullptr) == 0 && ::setgid(65534) == 0 && ::setuid(65534) == 0))
    session();
  std::fflush(nullptr);
  ::_exit(::geteuid() != 0 && !::testing::Test::HasFailure() ? 0 : 1);
}

TEST_F(FileActions, CopyAndMoveBetweenImages) {
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
  quit({"a.dsk", "b.dsk"});

  auto a2 = read_image("a.dsk"), b2 = read_image("b.dsk");
  EXPECT_EQ(load(*b2, "ONE"), load(*a2, "ONE"));
  EXPECT_EQ(load(*b2, "TWO").at(299), 0x22);
  EXPECT_NE(testing::find_deleted(*a2, "TWO"), nullptr);  // moved: deleted at the source
  EXPECT_EQ(find_entry(*b2, "THREE")->EXT, 0x02);
  expect_consistent({"a.dsk", "b.dsk"});
}

TEST_F(FileActions, ToAHostDirectoryAndBack) {
  auto a = image("a.dsk");
  save(*a, "MY PROG", 0x84, 600, 0x44);
  // The ".FIL" name is taken: the copy and the move get unique names.
  testing::write_bytes(dir.file("MY PROG.FIL"), std::vector<std::uint8_t>(43, 0xA0));
  screen->keys({KEYCODE_ENTER, HKEY_DOWN, HKEY_F5});  // copy into the start directory
  screen->then([&](MemoryConsole&) {
    EXPECT_TRUE(std::filesystem::exists(dir.file("MY PROG~1.FIL")));
    EXPECT_EQ(testing::read_bytes(dir.file("MY PROG.FIL")).size(), 43u);
  });
  screen->key(HKEY_F6);  // and move
  quit({"a.dsk"});
  const auto fil = testing::read_bytes(dir.file("MY PROG~1.FIL"));
  ASSERT_EQ(fil.size(), 40u + 768u);
  EXPECT_EQ(fil[39], 0x84);
  EXPECT_EQ(fil[40], 0x44);
  EXPECT_TRUE(std::filesystem::exists(dir.file("MY PROG~2.FIL")));
  EXPECT_NE(testing::find_deleted(*read_image("a.dsk"), "MY PROG"), nullptr);

  // Every ".FIL" file marked with "+" and moved back into the image.
  std::filesystem::remove(dir.file("MY PROG.FIL"));
  std::filesystem::remove(dir.file("MY PROG~1.FIL"));
  screen->keys({KEYCODE_TAB, KEYCODE_ENTER, KEYCODE_TAB, '+', HKEY_F6});
  quit({"", "a.dsk"});
  EXPECT_FALSE(std::filesystem::exists(dir.file("MY PROG~2.FIL")));
  auto a2 = read_image("a.dsk");
  EXPECT_EQ(load(*a2, "MY PROG"), std::vector<std::uint8_t>(fil.begin() + 40, fil.end()));
  EXPECT_EQ(find_entry(*a2, "MY PROG")->EXT, 0x84);
  expect_consistent({"a.dsk"});
}

TEST_F(FileActions, AMoveIntoAnImageThatFillsUpStopsTheBatch) {
  auto a = image("a.dsk");
  for (const char* n : {"F1", "F2", "F3"}) save(*a, n, 0x04, 100 * 256);
  auto b = image("b.dsk");
  save(*b, "FILLER", 0x04, 380 * 256);  // 542 - 384 = 158 free: room for one file of 101
  screen->keys({KEYCODE_ENTER, KEYCODE_TAB, KEYCODE_ENTER, KEYCODE_TAB, '+', HKEY_F6});
  shows({" Критические ошибки ", "Выделение сектора: закончилось свободное пространство среды."});
  screen->key(KEYCODE_ESCAPE);
  quit({"a.dsk", "b.dsk"});
  auto a2 = read_image("a.dsk"), b2 = read_image("b.dsk");
  EXPECT_NE(testing::find_deleted(*a2, "F1"), nullptr);
  EXPECT_NE(find_entry(*b2, "F1"), nullptr);
  for (const char* n : {"F2", "F3"}) EXPECT_TRUE(find_entry(*a2, n) && !find_entry(*b2, n)) << n;
  expect_consistent({"a.dsk", "b.dsk"});
}

// A locked file is not replaced: that file fails with a message naming it, the batch goes on.
TEST_F(FileActions, ALockedNamesakeIsNotReplaced) {
  auto a = image("a.dsk");
  save(*a, "A", 0x84, 10, 0x11);
  save(*a, "B", 0x04, 10, 0x22);
  for (const char* name : {"A", "B"}) {
    std::vector<std::uint8_t> fil(41, 0xA0);  // the name, T/S data, type $A0 and one data byte
    fil[0] = static_cast<std::uint8_t>(name[0] | 0x80);
    testing::write_bytes(dir.file(name + std::string(".FIL")), fil);
  }
  screen->keys({KEYCODE_TAB, KEYCODE_ENTER, KEYCODE_TAB, ctrl_key('S'), '+', HKEY_F6});
  shows({"Запись файла: запертый файл с этим именем не заменяется", "Записывался файл \"A "});
  screen->key(KEYCODE_ESCAPE);
  quit({"", "a.dsk"});
  auto a2 = read_image("a.dsk");
  EXPECT_EQ(std::tuple(load(*a2, "A").at(0), find_entry(*a2, "A")->EXT, find_entry(*a2, "B")->EXT,
                       std::filesystem::exists(dir.file("A.FIL")),
                       std::filesystem::exists(dir.file("B.FIL"))),
            std::tuple(0x11, 0x84, 0xA0, true, false));
}

// The way back out of a sub-catalog is never deleted. A sub-catalog in the first entry of the
// root is deleted only from a panel that saw the root without it: nothing else tells the two.
TEST_F(FileActions, TheWayBackOutOfASubCatalogIsNeverDeleted) {
  image("a.dsk");
  FC_MAKEDIR(*image("b.dsk"), agat_name("SUB"));
  const auto b = testing::read_bytes(dir.file("b.dsk"));
  screen->keys({KEYCODE_ENTER, HKEY_F7});
  answer(" Введите имя нового BTK-каталога ", "SUB");
  screen->keys({KEYCODE_ENTER, HKEY_DOWN, HKEY_F8});
  shows({"Удаление BTK-каталога: запись ведёт обратно в родительский каталог"});
  screen->keys({KEYCODE_ESCAPE, KEYCODE_ENTER, HKEY_DOWN, HKEY_F8, KEYCODE_BACKSPACE, ctrl_key('S'),
                HKEY_END, KEYCODE_ENTER, HKEY_DOWN, HKEY_F8});  // deleted in a.dsk, not in b.dsk
  shows({"не известно, подкаталог это или выход"});
  screen->key(KEYCODE_ESCAPE);
  quit({"a.dsk"});
  EXPECT_EQ(std::tuple(read_image("a.dsk")->FREESPACE, testing::read_bytes(dir.file("b.dsk")) == b),
            std::tuple(542u, true));
}

// On an image that cannot be written, sub-catalogs are entered and left all the same, in memory
// for that panel (a reload keeps them), never written; what must write fails with its message.
// A damaged sub-catalog is not entered.
TEST_F(FileActions, AnImageThatCannotBeWrittenIsLookedInto) {
  auto a = image("a.dsk");
  save(*a, "TOP", 0x04, 10);
  for (const char* name : {"SUB", "BAD"}) FC_MAKEDIR(*a, agat_name(name));
  FC_READCAT(*a);
  FC_CHDIR(*find_entry(*a, "SUB"));
  FC_READCAT(*a);
  save(*a, "INNER", 0x04, 10);
  FC_CHDIR(a->CAT.CATREC[1]);
  a->MASS[17][11].fill(0x77);  // BAD's first sector
  FC_SAVEMEDIA(*a, false);
  ::chmod(dir.path().c_str(), 0755);
  ::chmod(dir.file("a.dsk").c_str(), 0444);
  const auto before = testing::read_bytes(dir.file("a.dsk"));
  screen->keys({KEYCODE_ENTER, HKEY_END, KEYCODE_ENTER});
  shows({"сектор 17/11 не похож на сектор каталога"});
  screen->keys({KEYCODE_ESCAPE, HKEY_UP, KEYCODE_ENTER, ctrl_key('R'), HKEY_END, HKEY_F8});
  shows({"INNER", "Запись образа: ошибка открытия файла"});
  screen->keys({KEYCODE_ESCAPE, HKEY_HOME, HKEY_DOWN, KEYCODE_ENTER});
  shows({"TOP"});
  as_nobody([&] { quit({"a.dsk"}); });
  EXPECT_EQ(testing::read_bytes(dir.file("a.dsk")), before);
}

// The refusals: a file moved or copied onto the catalog or directory it is in, a ".FIL" file
// moved into an image whose VTOC does not read. Each is refused with its message and leaves
// every file in the directory byte for byte as it was.
struct Refusal {
  const char* what;
  std::vector<std::uint16_t> keys;
  int escapes;  // to close the message and any after it
  std::string message;
  std::vector<std::string> params;
};

class Refusals : public FileActions, public ::testing::WithParamInterface<Refusal> {};

constexpr std::uint16_t ENTER = KEYCODE_ENTER, TAB = KEYCODE_TAB, ESC = KEYCODE_ESCAPE;
constexpr std::uint16_t DOWN = HKEY_DOWN;
const Refusal kRefusals[] = {
    {"move", {ENTER, TAB, ENTER, TAB, DOWN, HKEY_F6}, 1, "в тот же каталог", {"a.dsk", "a.dsk"}},
    {"copy", {ENTER, TAB, ENTER, TAB, DOWN, HKEY_F5}, 1, "в тот же каталог", {"a.dsk", "a.dsk"}},
    {".FIL", {HKEY_F6}, 1, "Перемещение: файл нельзя переместить в тот же каталог", {"X.FIL"}},
    // The second Escape is for the reload's message on the VTOC.
    {"no VTOC", {TAB, ENTER, ESC, TAB, HKEY_F6}, 2, "образ не изменён", {"X.FIL", "bad.nib"}},
};

// Every file of the directory with its bytes.
std::map<std::string, std::vector<std::uint8_t>> files_of(const testing::TempDir& dir) {
  std::map<std::string, std::vector<std::uint8_t>> out;
  for (const auto& e : std::filesystem::directory_iterator(dir.path()))
    out[e.path().filename().string()] = testing::read_bytes(e.path());
  return out;
}

TEST_P(Refusals, LeaveEveryFileAsItWas) {
  const Refusal& r = GetParam();
  SCOPED_TRACE(r.what);
  save(*image("a.dsk"), "KEEP", 0x04, 500, 0x66);
  testing::write_bytes(dir.file("X.FIL"), std::vector<std::uint8_t>(100, 0xC1));
  testing::write_bytes(dir.file("bad.nib"), std::vector<std::uint8_t>(232960, 0));
  const auto before = files_of(dir);
  for (const std::uint16_t key : r.keys) screen->key(key);
  shows({" Критические ошибки ", r.message});
  for (int i = 0; i < r.escapes; ++i) screen->key(ESC);
  quit(r.params);
  EXPECT_EQ(files_of(dir), before);
}

INSTANTIATE_TEST_SUITE_P(FileActions, Refusals, ::testing::ValuesIn(kRefusals));

TEST_F(FileActions, RenameWithTypeChange) {
  auto a = image("a.dsk");
  save(*a, "PROG", 0x84, 10);
  screen->keys({KEYCODE_ENTER, HKEY_DOWN, 'r'});
  shows({" Переименование и смена типа ", "Выберите новый тип файла"});
  check([&](MemoryConsole& s) {
    // The preselected button is "B": drawn in the menu colour with its halves swapped.
    const int y = s.find_row("Выберите новый тип файла") + 1;
    const std::uint8_t menu = COL[MN_FTYP_MENU];
    EXPECT_EQ(s.attribute_at(column_of(" B ", y) + 1, y),
              static_cast<std::uint8_t>((menu >> 4) | (menu << 4)));
  });
  screen->keys({KEYCODE_ESCAPE});  // nothing changes, not even a reload
  screen->keys({'r', HKEY_LEFT, HKEY_LEFT, HKEY_LEFT, KEYCODE_ENTER});
  answer(" Введите новое имя файла ", "ПРОГРАММА");
  check([&](MemoryConsole&) {
    const int y = panel_row("ПРОГРАММА", true);
    ASSERT_NE(y, 0);
    EXPECT_EQ(screen->attribute_at(3, y), COL[PANEL_LST_CURS]);  // the cursor follows the name
    EXPECT_NE(left(y).find("*T  002  ПРОГРАММА"), std::string::npos) << left(y);
  });
  // Type chosen, name dialog left with Escape: nothing changes.
  screen->keys({'r', HKEY_RIGHT, KEYCODE_ENTER, KEYCODE_ESCAPE});
  quit({"a.dsk"});
  auto a2 = read_image("a.dsk");
  ASSERT_NE(find_entry(*a2, "ПРОГРАММА"), nullptr);
  EXPECT_EQ(find_entry(*a2, "ПРОГРАММА")->EXT, 0x80);
}

TEST_F(FileActions, MakeAndRenameCatalogsInTheImageAndOnTheHostThenRenameTheImage) {
  image("a.dsk");
  screen->keys({KEYCODE_ENTER, HKEY_F7});
  answer(" Введите имя нового BTK-каталога ", "ИГРЫ");
  left_rows(3, {" +BTK Dir: ИГРЫ"});  // made, the cursor on it
  screen->key('r');
  answer(" Введите новое имя BTK-каталога ", "NEW");
  screen->key(KEYCODE_ENTER);  // entered: its slave entry has the new name too
  left_rows(3, {"  BTK Dir: NEW"});
  left_rows(24, {dir.host_path() + "a.dsk"});
  screen->keys({KEYCODE_BACKSPACE, HKEY_F7});
  answer(" Введите имя нового HostFS-каталога ", "папка");
  screen->key('r');
  answer(" Введите новое имя Host-каталога ", "новая папка");
  check([&](MemoryConsole& s) {  // the cursor follows the name
    EXPECT_EQ(s.attribute_at(3, panel_row("HostDir: новая папка", true)), COL[PANEL_LST_CURS]);
  });
  screen->keys({ctrl_key('S'), HKEY_END, 'r'});  // sorted: the directories, then the image
  answer(" Введите новое имя образа ", "b.dsk");
  screen->keys({HKEY_HOME, 'r', KEYCODE_ENTER});  // ".." cannot be renamed
  quit({"a.dsk"});
  EXPECT_TRUE(std::filesystem::is_directory(dir.file("новая папка")));
  EXPECT_FALSE(std::filesystem::exists(dir.file("папка")));
  expect_consistent({"b.dsk"});
  auto b = read_image("b.dsk");
  TCATREC* sub = find_entry(*b, "NEW");
  ASSERT_NE(sub, nullptr);
  // The slave entry inside carries the new name too.
  const TCATREC33& slave = as<TCATSECTOR>(b->MASS[sub->TTSL][sub->STSL]).CR[0];
  EXPECT_TRUE(std::equal(std::begin(slave.N), std::end(slave.N), agat_name("NEW").begin()));
}

// Every character of a host name the user leaves alone keeps its bytes: a name outside
// Windows-1251 (shown with "?") or not UTF-8 is not changed by Enter, and keeps them when
// edited. A name that cannot be one host name is refused with a message.
TEST_F(FileActions, RenamingAHostNameKeepsTheBytesThatWereNotEdited) {
  const std::string cafe = "café.dsk", raw = "\xFF\xFE.dsk";
  for (const std::string& name : {cafe, raw})
    testing::write_bytes(dir.file(name), std::vector<std::uint8_t>(143360));
  screen->keys({'r', KEYCODE_ENTER, 'r', HKEY_END});
  screen->text("/x");
  screen->key(KEYCODE_ENTER);
  shows({" Критические ошибки ", "Переименование: "});
  screen->key(KEYCODE_ESCAPE);
  quit({raw});
  screen->keys({'r', KEYCODE_ENTER});
  screen->keys({'r', HKEY_HOME, 'x', KEYCODE_ENTER});
  screen->keys({'r', HKEY_END, KEYCODE_BACKSPACE, KEYCODE_BACKSPACE, KEYCODE_BACKSPACE});
  screen->text("nib");
  screen->key(KEYCODE_ENTER);
  quit({cafe});
  std::set<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(dir.path()))
    names.insert(e.path().filename().string());
  EXPECT_EQ(names, (std::set<std::string>{"xcafé.nib", raw}));
}

TEST_F(FileActions, LockUnlockAndToggleFromTheMenu) {
  auto a = image("a.dsk");
  save(*a, "A", 0x04, 10);
  save(*a, "B", 0x84, 10);
  save(*a, "C", 0x00, 10);
  screen->keys({KEYCODE_ENTER, HKEY_DOWN});
  menu("Основное-разное", "Поставить защиту \"*\"");  // the cursor file
  screen->keys({HKEY_DOWN, ' ', HKEY_DOWN, ' '});
  menu("Основное-разное", "Изменить защиту \"*\"");  // of the marked B and C
  quit({"a.dsk"});
  auto a2 = read_image("a.dsk");
  for (auto [name, type] : {std::pair{"A", 0x84}, {"B", 0x04}, {"C", 0x80}})
    EXPECT_EQ(find_entry(*a2, name)->EXT, type) << name;

  screen->keys({KEYCODE_ENTER, '+'});
  menu("Основное-разное", "Убрать защиту \"*\"");  // of everything marked
  quit({"a.dsk"});
  a2 = read_image("a.dsk");
  for (const char* n : {"A", "B", "C"}) EXPECT_EQ(find_entry(*a2, n)->EXT & 0x80, 0) << n;
}

TEST_F(FileActions, DeleteAndUndelete) {
  auto a = image("a.dsk");
  save(*a, "GONE", 0x04, 1000);
  testing::write_bytes(dir.file("host.FIL"), std::vector<std::uint8_t>(40, 0xA0));
  // In an image: no question; the file shows as deleted and F4 brings it back.
  screen->keys({KEYCODE_ENTER, HKEY_DOWN, HKEY_F8});
  check([&](MemoryConsole& s) { EXPECT_FALSE(s.contains(" Подтвердите ")); });
  attribute_is(5, 3, COL[PANEL_LST_CURS]);
  attribute_is(45, 3, COL[PANEL_LST_BASE]);
  screen->keys({KEYCODE_TAB});
  attribute_is(5, 3, COL[PANEL_LST_DELE]);
  screen->keys({KEYCODE_TAB, HKEY_F4, KEYCODE_TAB});
  attribute_is(5, 3, COL[PANEL_LST_BASE]);
  screen->keys({KEYCODE_TAB, KEYCODE_BACKSPACE, ctrl_key('S')});
  // On the host: the question; "Нет" and Escape keep the file, "Да" deletes it.
  screen->keys({HKEY_END, HKEY_F8});
  shows({" Подтвердите ", "Удаление файлов необратимо. Выполнить ?"});
  screen->keys({HKEY_RIGHT, KEYCODE_ENTER, HKEY_F8, KEYCODE_ESCAPE});
  screen->then([&](MemoryConsole&) { EXPECT_TRUE(std::filesystem::exists(dir.file("host.FIL"))); });
  screen->keys({HKEY_F8, KEYCODE_ENTER});
  quit({"a.dsk"});
  EXPECT_FALSE(std::filesystem::exists(dir.file("host.FIL")));
  auto a2 = read_image("a.dsk");
  // Live again under its whole old name: the last character, which deletion overwrote with
  // the list's track, is a blank again, as it is in almost every name.
  const TCATREC& back = a2->CAT.CATREC[1];
  EXPECT_NE(back.TTSL, 0xFF);
  EXPECT_EQ(back.AGATNAME, agat_name("GONE"));
  expect_consistent({"a.dsk"});
}

TEST_F(FileActions, CleanCreateAndRenameVolume) {
  auto a = image("a.dsk");
  save(*a, "GONE", 0x04, 1000);
  FC_DELETE(*find_entry(*a, "GONE"));
  // A volume name padded with blanks: the proposal drops them, so what is typed at its end stays.
  const TAGATNAME old_name = agat_name("МОЙ ДИСК");
  std::copy(old_name.begin(), old_name.end(), as<TVTOCSECTOR>(a->MASS[17][0]).VOLNAME);
  FC_SAVEMEDIA(*a, false);
  screen->keys({KEYCODE_ENTER, HKEY_F11});
  shows({"Очистка образа небезопасна в случае ошибок в файловой системе. Выполнить ?"});
  screen->key(KEYCODE_ENTER);
  menu("Образ", "Изменить имя тома");
  screen->key(HKEY_END);
  answer(" Введите новое имя тома ", " 2");
  left_rows(1, {"МОЙ ДИСК 2"});
  screen->key(KEYCODE_BACKSPACE);
  // Each item that makes an image, the name typed before the extension it proposes, the form.
  const std::tuple<const char*, const char*, TIMAGET> made[] = {
      {"Создать образ DSK 140 k", "new2.DSK", ITI140},
      {"Создать образ NIB 140 k", "new3.NIB", ITN140},
      {"Создать образ DSK 800 k", "new4.DSK", ITI800},
      {"Создать образ NIB 800 k", "new5.NIB", ITN800},
      {"Создать образ DSK 800 k с заголовком", "new6.DSK", ITE800}};
  for (auto [label, name, type] : made) {
    menu("Образ", label);
    shows({" Введите имя нового образа "});
    screen->key(HKEY_HOME);  // typing at once would replace the proposed extension too
    screen->text(std::string(name, 4));
    screen->key(KEYCODE_ENTER);
  }
  quit({"a.dsk"});

  auto a2 = read_image("a.dsk");
  EXPECT_EQ(a2->CAT.CATREC[1].AGATNAME, TAGATNAME{});  // cleaned: a nameless deleted entry
  EXPECT_EQ(a2->CAT.CATREC[1].TTSL, 0xFF);
  EXPECT_TRUE(std::all_of(a2->MASS[16][15].begin(), a2->MASS[16][15].end(),
                          [](std::uint8_t b) { return b == 0xBD; }));
  const auto& volume = as<TVTOCSECTOR>(a2->MASS[17][0]).VOLNAME;  // the name, $8D and zeros
  EXPECT_TRUE(std::equal(volume, volume + 10, agat_name("МОЙ ДИСК 2").begin()) &&
              volume[10] == 0x8D && volume[11] == 0 && volume[30] == 0);
  expect_consistent({"a.dsk"});
  for (auto [label, name, type] : made) {
    ASSERT_TRUE(std::filesystem::exists(dir.file(name))) << name;
    EXPECT_EQ(std::filesystem::file_size(dir.file(name)),
              static_cast<std::uintmax_t>(IMAGEDESC[type].FULLSIZE));
    TIMAGET found{};
    EXPECT_TRUE(image_type_of_file(dir.file(name), IMAGEDESC[type].FULLSIZE, found) &&
                found == type)
        << name;  // the emulator's header is there
    auto md = read_image(name, type);
    EXPECT_EQ(md->FREESPACE, type == ITI140 || type == ITN140 ? 542u : 3335u);
    EXPECT_EQ(md->CAT.CATNUM, 1);
  }
}

// Ctrl+C marks the files that differ; C compares the two files under the cursors, c the
// two images.
TEST_F(FileActions, CtrlCMarksTheLiveFilesWithoutAnIdenticalNamesakeCComparesFilesAndImages) {
  auto a = image("a.dsk");
  save(*a, "SAME", 0x04, 256, 0x11);
  save(*a, "DIFF", 0x04, 300, 0x22);
  save(*a, "GONE", 0x00, 256);
  FC_DELETE(*find_entry(*a, "GONE"));
  std::filesystem::copy_file(dir.file("a.dsk"), dir.file("b.dsk"));
  auto b = read_image("b.dsk");
  save(*b, "DIFF", 0x04, 300, 0x23);  // the same name and size, other bytes
  save(*b, "GONE", 0x00, 256);        // live here, deleted in a.dsk
  save(*b, "ONLY", 0x04, 256);
  // Marks made before go: the host directory ".." is no Agat file.
  screen->keys({KEYCODE_ENTER, '+', KEYCODE_TAB, KEYCODE_ENTER, ctrl_key('C')});
  left_rows(2, {" +HostDir: ..", "   B  002  SAME", ">  B  003  DIFF", "   T  002  GONE", ""});
  check([&](MemoryConsole&) {  // "..", SAME; then DIFF, GONE and ONLY marked
    for (int y = 2; y < 7; ++y) EXPECT_EQ(right(y)[0], y < 4 ? ' ' : '>') << right(y);
  });
  // The cursors on DIFF, the left panel's file first.
  screen->keys({HKEY_DOWN, HKEY_DOWN, KEYCODE_TAB, HKEY_DOWN, HKEY_DOWN, 'C'});
  shows(
      {"Сравнение файла DIFF", "с файлом        DIFF", "(побайтное сравнение)", "000000 000001 "});
  attribute_is(1, 4, COL[CR_FCMP_BIN]);
  // "c" from the right panel: the report on the two images.
  screen->keys({KEYCODE_ESCAPE, KEYCODE_TAB, 'c'});
  row_is(1, "Сравнение образа " + dir.host_path() + "b.dsk");
  row_is(2, "с образом        " + dir.host_path() + "a.dsk:");
  attribute_is(1, 1, COL[CR_ICMP_HEADER]);
  screen->key(KEYCODE_ESCAPE);
  quit({"a.dsk", "b.dsk"});
}

// The file manager and another program writing one image: a panel read before the other
// program's change never saves over it.
TEST_F(FileActions, ASaveOverAnotherProgramsChangeIsRefusedAndThePanelReread) {
  auto a = image("a.dsk");
  save(*a, "ONE", 0x04, 1000, 0x11);
  save(*a, "TWO", 0x04, 300, 0x22);
  screen->key(KEYCODE_ENTER);
  // While the panel shows the image, another program adds a file to it.
  screen->then([&](MemoryConsole&) {
    auto other = read_image("a.dsk");
    save(*other, "THIRD", 0x04, 700, 0x33);
  });
  screen->keys({HKEY_DOWN, HKEY_F8});
  shows({"другой программой после чтения"});
  screen->key(KEYCODE_ESCAPE);
  // Read again: the other file is listed, and the delete goes through now.
  check([&](MemoryConsole&) { EXPECT_NE(panel_row("THIRD"), 0); });
  screen->keys({HKEY_HOME, HKEY_DOWN, HKEY_F8});
  quit({"a.dsk"});

  auto a2 = read_image("a.dsk");
  EXPECT_EQ(load(*a2, "THIRD").size(), 768u);
  EXPECT_EQ(load(*a2, "TWO").at(299), 0x22);
  EXPECT_NE(testing::find_deleted(*a2, "ONE"), nullptr);
  expect_consistent({"a.dsk"});
}

}  // namespace
}  // namespace agat
