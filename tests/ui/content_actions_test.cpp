// The content actions end to end on the samples and on images made here: views in every
// kind of format, the information pages, the hex editor writing a file back, export with
// and without marks, import of texts and binaries.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "content/hexdump.h"
#include "core/char_sets.h"
#include "ui/crt_hexedit.h"
#include "ui/fixtures.h"

#ifndef MAKE_SAMPLES_BINARY
#error "MAKE_SAMPLES_BINARY must name the program that makes the sample images"
#endif

namespace agat {
namespace {

using testing::agat_name;
using testing::find_entry;

class ContentActions : public testing::SorbelTest {
 protected:
  void SetUp() override {
    SorbelTest::SetUp();
    install_hex_editor();
  }
  void make_samples() {
    ASSERT_EQ(std::system((std::string(MAKE_SAMPLES_BINARY) + " . >/dev/null").c_str()), 0);
  }
  std::string host_file(const std::string& name) {
    std::ifstream in(dir.file(name));
    return {std::istreambuf_iterator<char>(in), {}};
  }
  // Leaves a viewer or a box, and checks the screen before.
  void shows_then_escape(std::vector<std::string> texts) {
    shows(std::move(texts));
    screen->key(KEYCODE_ESCAPE);
  }
};

TEST_F(ContentActions, ViewsAndInformationPagesOfTheSamples) {
  make_samples();
  testing::write_bytes(dir.file("EMPTY.FIL"), std::vector<std::uint8_t>(40, 0xA0));
  screen->keys({KEYCODE_ENTER, HKEY_DOWN, HKEY_F3});  // "ЧИТАЙ МЕНЯ", a text
  shows_then_escape({"ЭТО ДИСК С ПРИМЕРАМИ ДЛЯ ФАЙЛОВОГО МЕНЕДЖЕРА.", "== EOF =="});
  // E on a text or a BASIC program opens nothing and says why; the cursor stays.
  screen->key('E');
  shows_then_escape({" Редактирование ", "Формат файла: Обычный текстовый файл",
                     "HEX-редактор правит только двоичные файлы;",
                     "байты любого файла открывает Ctrl+E"});
  screen->keys({HKEY_DOWN, HKEY_DOWN, 'E'});
  shows_then_escape({" Редактирование ", "Формат файла: Программа транслятора BASIC"});
  screen->key(HKEY_F3);  // "ТАБЛИЦА", BASIC with long names
  shows_then_escape({"   30  FOR ROWNUMBER = 1 TO 9", "  4 UNUSED не используется"});
  menu("Просмотр файла", "Обычный текст");  // the same program forced to be a text
  shows_then_escape({"== EOF =="});
  for (int i = 0; i < 4; ++i) screen->key(HKEY_DOWN);  // "ЗАСТАВКА", a K file at $1800
  screen->key(HKEY_F3);
  shows_then_escape({"1800:  20 11 18 A2 00 BD 2B 18"});
  for (auto [key, row] : {std::pair<std::uint16_t, const char*>{'b', "0000:  20 11 18"},
                          {'B', "1120:  00 BD 2B 18"}}) {  // the head read as a B file's
    screen->keys({key, HKEY_HOME});  // (the editor keeps its place from the last block)
    shows_then_escape({row});
  }
  screen->key(KEYCODE_ENTER);  // an Agat file is not entered: its information page
  shows_then_escape({"          Тип объекта: Агатовский файл", "             Агат-имя: ЗАСТАВКА",
                     "  Данные в t/s списке: $00 $00 $00 $00 $00 $3E $00 $00 $18",
                     "Первый T/S список: 17 / 3", "Точка загрузки: $1800", "    Длина кода: $003E",
                     "Предполагаемый формат: Исполняемый двоичный файл ОС \"Школьница\""});
  screen->key(KEYCODE_BACKSPACE);  // out of the image, the cursor on it
  menu("Основное-разное", "Информация об объекте");
  shows_then_escape({"           HostOS имя: demo140.dsk",
                     "          Тип объекта: Образ Агат-диска: Образ 140 К без эпилога"});
  screen->key(HKEY_HOME);
  menu("Основное-разное", "Информация об объекте");
  shows_then_escape({"           HostOS имя: ..", "          Тип объекта: HostOS директория"});
  screen->keys({KEYCODE_TAB, HKEY_F3});  // the other panel's cursor is on the empty file
  shows_then_escape({" Просмотр ", "Файл  пуст"});
  quit({"demo140.dsk", "EMPTY.FIL"});
}

TEST_F(ContentActions, TheHexEditorWritesAFileBackOverItselfNeverOverANamesake) {
  auto a = image("a.dsk");
  save(*a, "SAME", 0x04, 300, 0x11);
  save(*a, "TWIN", 0x04, 300, 0x22);
  save(*a, "LOCKED", 0x84, 10);
  const TCATREC twin = *find_entry(*a, "TWIN");  // renamed by hand: two files named SAME
  const TAGATNAME same = agat_name("SAME");
  std::copy(same.begin(), same.end(), &a->MASS[twin.TCAT][twin.SCAT][11 + 35 * twin.OCAT + 3]);
  FC_SAVEMEDIA(*a, false);
  const std::uint32_t free_before = read_image("a.dsk")->FREESPACE;
  // The second SAME: the first code byte after the B head becomes $41, and saved.
  screen->keys({KEYCODE_ENTER, HKEY_DOWN, HKEY_DOWN, 'E'});
  shows({"2220:  -- -- 22 22 22"});
  screen->keys({'4', '1', KEYCODE_ESCAPE, KEYCODE_ENTER});
  // The reload puts the cursor on the first SAME: Ctrl+E shows its raw bytes from 0.
  screen->keys({ctrl_key('E'), HKEY_HOME});
  shows_then_escape({"0000:  11 11 11"});
  screen->keys({HKEY_DOWN, HKEY_DOWN, 'E'});  // a locked file is not opened for editing
  shows_then_escape(
      {" Критические ошибки ", "\"LOCKED\": файл защищён от записи (*), он не изменён"});
  quit({"a.dsk"});

  auto a2 = read_image("a.dsk");
  static TFILEBUF buf;
  std::vector<std::uint8_t> first, second;
  for (auto [index, bytes] : {std::pair{1, &first}, {2, &second}}) {
    FC_LOAD(a2->CAT.CATREC[index], buf);
    bytes->assign(buf.begin(), buf.begin() + 300);
  }
  EXPECT_EQ(first, std::vector<std::uint8_t>(300, 0x11));
  std::vector<std::uint8_t> edited(300, 0x22);
  edited[4] = 0x41;
  EXPECT_EQ(second, edited);
  EXPECT_EQ(a2->FREESPACE, free_before);  // nothing allocated or freed
  expect_consistent({"a.dsk"});
}

TEST_F(ContentActions, ExportWithAndWithoutMarksAndImportOfTextsAndBinaries) {
  make_samples();
  testing::write_bytes(dir.file("note.txt"), {'O', 'N', 'E', '\n', 'T', 'W', 'O', '\n'});
  testing::write_bytes(dir.file("code.bin"), {'A', 0xC1});              // Windows-1251 "AБ"
  screen->keys({KEYCODE_ENTER, HKEY_DOWN, HKEY_DOWN, HKEY_DOWN, 'e'});  // "ТАБЛИЦА"
  answer(" Укажите имя файла, в который будет выполнен экспорт ", "");  // the name proposed
  menu("Экспорт файла",
       "Автоопределение формата (Basic как GW; Bin с перекодировкой)");  // under another name
  answer(" Укажите имя файла, в который будет выполнен экспорт ", "gw");
  screen->key('e');  // into a folder that does not exist: a message, and the program goes on
  answer(" Укажите имя файла, в который будет выполнен экспорт ", "none/x");
  shows_then_escape({"ошибка создания файла"});
  // Two marks: exported without a dialog, then unmarked.
  screen->keys(
      {HKEY_HOME, HKEY_DOWN, ' ', HKEY_DOWN, HKEY_DOWN, HKEY_DOWN, HKEY_DOWN, HKEY_DOWN, ' ', 'e'});
  check([&](MemoryConsole&) { EXPECT_EQ(left(3).substr(0, 1), " "); });
  menu("Импорт файла", "Обычный текст");  // then a binary converted to the Agat code: both listed
  answer(" Введите имя импортируемого файла ", "note.txt");
  menu("Импорт файла", "Двоичный B-файл, с перекодировкой");
  answer(" Введите имя импортируемого файла ", "code.bin");
  menu("Импорт файла", "Basic-программа, ключевые слова как в Агате");  // the export back
  answer(" Введите имя импортируемого файла ", "ТАБЛИЦА.bas");
  check([&](MemoryConsole&) {
    EXPECT_NE(panel_row("note.txt"), 0);
    EXPECT_NE(panel_row("code.bin"), 0);
  });
  quit({"demo140.dsk"});

  EXPECT_NE(host_file("ТАБЛИЦА.bas").find("   20  HOME : PRINT \"ТАБЛИЦА УМНОЖЕНИЯ\"\n"),
            std::string::npos);
  EXPECT_NE(host_file("gw.bas").find("   20  CLS : PRINT"), std::string::npos);
  EXPECT_TRUE(host_file("ЧИТАЙ МЕНЯ.txt").starts_with("ЭТО ДИСК С ПРИМЕРАМИ"));
  EXPECT_EQ(testing::read_bytes(dir.file("ЗАСТАВКА.bin")).size(), 0x3Eu);
  auto md = read_image("demo140.dsk");
  std::vector<std::uint8_t> note = {0xCF, 0xCE, 0xC5, 0x8D, 0xD4, 0xD7, 0xCF, 0x8D};
  note.resize(256, 0);  // one sector, zeros after the text
  EXPECT_EQ(load(*md, "note.txt"), note);
  const auto code = load(*md, "code.bin");
  ASSERT_GE(code.size(), 6u);
  EXPECT_EQ(std::vector<std::uint8_t>(code.begin(), code.begin() + 6),
            (std::vector<std::uint8_t>{0x00, 0x18, 0x02, 0x00, L2A(std::uint8_t{'A'}),
                                       L2A(std::uint8_t{0xC1})}));
  EXPECT_EQ(find_entry(*md, "code.bin")->EXT, 0x04);
  EXPECT_EQ(load(*md, "ТАБЛИЦА.bas"), load(*md, "ТАБЛИЦА"));
  EXPECT_EQ(find_entry(*md, "ТАБЛИЦА.bas")->EXT, 0x02);
  expect_consistent({"demo140.dsk"});
}

// No transfer replaces a file without a word: marked exports take numbered names beside
// the user's files, the single export asks ("Нет" offered first), an import keeps the
// Agat file of its name and names the new one.
TEST_F(ContentActions, ExportsAndImportsKeepTheFilesTheyWouldReplace) {
  make_samples();
  const std::vector<std::uint8_t> mine = {'m', 'i', 'n', 'e', '\n'};
  testing::write_bytes(dir.file("ЧИТАЙ МЕНЯ.txt"), mine);
  testing::write_bytes(dir.file("ТАБЛИЦА.bas"), mine);
  testing::write_bytes(dir.file("note.txt"), {'O', 'N', 'E', '\n'});
  // Marked "ЧИТАЙ МЕНЯ" and "ЗАСТАВКА": the first gets a numbered name, and the report says so.
  screen->keys({KEYCODE_ENTER, HKEY_DOWN, ' ', HKEY_DOWN, HKEY_DOWN, HKEY_DOWN, HKEY_DOWN,
                HKEY_DOWN, ' ', 'e'});
  shows_then_escape({"ЧИТАЙ МЕНЯ~1.txt"});
  // "ТАБЛИЦА" under the cursor: Enter keeps the file, Escape too, "Да" replaces it.
  screen->keys({HKEY_HOME, HKEY_DOWN, HKEY_DOWN, HKEY_DOWN});
  for (auto answers : {std::initializer_list<std::uint16_t>{KEYCODE_ENTER},
                       {KEYCODE_ESCAPE},
                       {HKEY_LEFT, KEYCODE_ENTER}}) {
    screen->key('e');
    answer(" Укажите имя файла, в который будет выполнен экспорт ", "");
    shows({" Подтвердите ", "Файл \"ТАБЛИЦА.bas\" уже есть. Заменить ?"});
    screen->keys(answers);
    if (answers.size() == 1)
      check([&](MemoryConsole&) { EXPECT_EQ(testing::read_bytes(dir.file("ТАБЛИЦА.bas")), mine); });
  }
  // The same text imported twice: the second is "note.txt~1", and the cursor is on it.
  for (int i = 0; i < 2; ++i) {
    menu("Импорт файла", "Обычный текст");
    answer(" Введите имя импортируемого файла ", "note.txt");
  }
  shows_then_escape({"note.txt~1"});
  check([&](MemoryConsole&) {
    EXPECT_NE(panel_row("note.txt"), 0);
    EXPECT_NE(panel_row("note.txt~1"), 0);
  });
  quit({"demo140.dsk"});

  EXPECT_EQ(testing::read_bytes(dir.file("ЧИТАЙ МЕНЯ.txt")), mine);
  EXPECT_TRUE(host_file("ЧИТАЙ МЕНЯ~1.txt").starts_with("ЭТО ДИСК С ПРИМЕРАМИ"));
  EXPECT_EQ(testing::read_bytes(dir.file("ЗАСТАВКА.bin")).size(), 0x3Eu);
  EXPECT_NE(host_file("ТАБЛИЦА.bas").find("ТАБЛИЦА УМНОЖЕНИЯ"), std::string::npos);
  auto md = read_image("demo140.dsk");
  EXPECT_EQ(load(*md, "note.txt"), load(*md, "note.txt~1"));
  EXPECT_EQ(load(*md, "note.txt").size(), 256u);
  expect_consistent({"demo140.dsk"});
}

}  // namespace
}  // namespace agat
