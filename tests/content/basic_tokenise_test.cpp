// BASIC programs from text: lines as users write them and as the export writes them, the
// lines after the long-name list, refusals by line; and the export of odd and damaged
// programs, whose import gives back every byte the file's sectors hold.
#include <gtest/gtest.h>

#include <random>

#include "content/basic_programs.h"
#include "content/basic_tokenise.h"
#include "content/host_text.h"
#include "content/host_transfer.h"
#include "core/cp1251_literal.h"

namespace agat {
namespace {

std::string cp(const std::string& utf8) {
  std::string out;
  utf8_to_cp1251(utf8, out);
  return out;
}

// The bytes the import makes of TEXT (UTF-8), or the refusal's words.
Bytes imported(const std::string& utf8, std::string* error = nullptr) {
  BasicText text;
  Bytes file;
  std::string why;
  if (!read_basic_text(cp(utf8), text, why) || !build_basic_program(text, file, why)) {
    if (error != nullptr) *error = cp1251_to_utf8(why);
    return {};
  }
  return file;
}

TEST(BasicTokenise, LinesReadAsTheExportWritesThemAndAsPeopleTypeThem) {
  const std::string names = "\nТаблица длинных переменных:\n  1 count\n";
  const struct {
    std::string body;
    Bytes codes;
  } cases[] = {
      {" PRINT  X", {0xBA, 0x20, 0x58}},  // the blanks round a keyword are the listing's
      {"X  PRINT   Y", {0x58, 0x20, 0xBA, 0x20, 0x20, 0x59}},
      {"ONERR GOTO 10", {0xA5, 0xAB, 0x31, 0x30}},  // the longest word, none inside names
      {"ON ER GOTO 10", {0xB4, 0x45, 0x52, 0xAB, 0x31, 0x30}},
      {"print atn(1)", {0xBA, 0xE1, 0x28, 0x31, 0x29}},
      {"PRINT \"abc^M^^^$98\"", {0xBA, 0x22, 0xC1, 0xC2, 0xC3, 0x0D, 0x5E, 0x98, 0x22}},
      {"REM print \"x", {0xB2, 0xD0, 0xD2, 0xC9, 0xCE, 0xD4, 0x20, 0x22, 0xD8}},
      {"DATA 1,TO:END", {0x83, 0x31, 0x2C, 0x54, 0x4F, 0x3A, 0x45, 0x4E, 0x44}},
      {"A^2: ^$93 0", {0x41, 0xCC, 0x32, 0x3A, 0x93, 0x30}},
      {"Count=?257?+?NO FOR", {0x01, 0x01, 0xD0, 0x02, 0x01, 0xC8, 0xEB}},
      {"COUNTER", {0x01, 0x01, 0x45, 0x52}},
  };
  for (const auto& c : cases) {
    const Bytes file = imported("10 " + c.body + names);
    ASSERT_GE(file.size(), 7 + c.codes.size()) << c.body;
    EXPECT_EQ(Bytes(file.begin() + 6, file.begin() + 6 + static_cast<long>(c.codes.size())),
              c.codes)
        << c.body;
    EXPECT_EQ(file[6 + c.codes.size()], 0) << c.body;
  }
  // The usual layout: links from $0801, the end link, the table, the whole length first.
  EXPECT_EQ(imported("10 END\nТаблица длинных переменных:\n  1 ab\n"),
            (Bytes{0x0F, 0, 0x07, 0x08, 10, 0, 0x80, 0, 0, 0, 0x41, 0xC2, 0, 2, 0}));
  // Or what the lines after the list say.
  EXPECT_EQ(imported("10 END\r\nАдрес загрузки: $4001\nЗаявленный размер: $0007\n"
                     "Байты после строк: 00 00\nБайты после строк: FF\nРазмер файла: $0010\n"),
            (Bytes{7, 0, 0x07, 0x40, 10, 0, 0x80, 0, 0, 0, 0xFF, 0, 0, 0, 0, 0}));
}

TEST(BasicTokenise, ATextThatIsNoProgramIsRefusedByItsLine) {
  const std::string list = "10 X\nТаблица длинных переменных:\n";
  const std::pair<std::string, std::string> cases[] = {
      {"10 X\nY", "строка 2: нет номера строки"},
      {"10 X\n\n10 Y", "строка 3: номер строки не больше номера предыдущей строки"},
      {"65536 X", "строка 1: номер строки больше 65535"},
      {"10 REM " + std::string(255, 'X'), "строка 1: строка длиннее 255 байт"},
      {"10 PRINT \"^1\"", "строка 1: неизвестная последовательность \"^1\""},
      {"10 PRINT \"^@\"", "строка 1: нулевой код внутри строки"},
      {"10 PRINT «", "строка 1: знак \"«\" недопустим вне строки и комментария"},
      {list + "1024 A", "строка 3: номер длинного имени не от 1 до 1023"},
      {list + "3 A\n1 B", "строка 3: пропущено длинное имя номер 2"},
      {list + "1 A\n1 B", "строка 4: номер длинного имени повторяется"},
      {list + "1 a«", "строка 3: недопустимый знак в длинном имени"},
      {"Адрес загрузки: $1G", "строка 1: неверное шестнадцатеричное число"},
      {"Байты после строк: 0", "строка 1: неверный байт"},
  };
  for (const auto& [text, why] : cases) {
    std::string error;
    EXPECT_TRUE(imported(text, &error).empty()) << text;
    EXPECT_EQ(error, why) << text;
  }
  EXPECT_EQ(imported("10 REM " + std::string(254, 'X')).size(), 267u);  // 255 codes fit
}

// The export of each program, imported, fills the file's sectors with the same bytes; where
// it says more than the listing, the text says what.
TEST(BasicTokenise, TheExportOfAnyProgramComesBackByteForByte) {
  const auto relinked = [](Bytes b, std::size_t at, std::uint16_t link) {
    b[at] = static_cast<std::uint8_t>(link), b[at + 1] = static_cast<std::uint8_t>(link >> 8);
    return b;
  };
  const Bytes end = program({{10, {0x80}}, {20, {0x80}}});
  struct Case {
    Bytes bytes;
    std::int32_t size;
    std::string shown;
  };
  std::vector<Case> cases = {
      {program({{10, {0xBA, 0x20, 0x58}}, {20, {0x58, 0x20, 0xBA, 0x20, 0x20, 0x59}}}), 256,
       "   10  PRINT  X\n   20 X  PRINT   Y\n"},
      {relinked(relinked(end, 2, 0x4007), 8, 0x400D), -1,
       "   10  END \n   20  END \nАдрес загрузки: $4001\n"},
      {program({{10, {0x41, 0x20, 0x54, 0x4F}}}), -1, "   10 A T^$4F\n"},
      {program({{10, {0x5E, 0xBA, 0x22, 0x5E, 0x1E, 0x98, 0x22}}}), -1,
       "   10 ^$5E PRINT \"^^^$1E^$98\"\n"},
      {program({{10, {0x8F, 0x93, 0xAF, 0x03}}}), -1, "   10  &  ^$93  ^$AF ^$03\n"},
      {program({{10, {0x01, 0x01, 0xD0, 0x31, 0x01}}}, {"ABCDEFGHIJKL", "Z"}), -1,
       "   10 ABCDEFGHIJKL = 1^$01\nТаблица длинных переменных (начало: $0010, длина: "
       "$000D):\n  1 ABCDEFGHIJKL\n  2 Z не используется\n"},
      // Links that follow no one address, numbers out of order: the bytes alone.
      {relinked(end, 8, 0x1234), -1,
       "Заявленный размер: $0013\nБайты после строк: 07 08 0A 00 80 00 34 12"},
      {program({{20, {0x80}}, {10, {0x80}}}), -1, "Заявленный размер: $0013\nБайты"},
      {program({{10, Bytes(256, 0x41)}}), -1, "Заявленный размер: $010C\nБайты"},
      {Bytes{8, 0, 0x07, 0x08, 10, 0, 0x80, 0, 0, 0, 'G', 'A'}, 512,
       "   10  END \nБайты после строк: 00 00 47 41\nЗаявленный размер: $0008\n"
       "Размер файла: $0200\n"},
      {program({{10, {0xBA, 0x58}}}), 7, "Размер файла: $0007\n"},
      {{}, 0, "Размер файла: $0000\n"},
      {{5}, 1, "Размер файла: $0001\n"},
  };
  std::mt19937 random(32);
  for (int n = 0; n < 40; ++n) {
    Bytes b = end;  // a program whose bytes are partly overwritten at random
    b.resize(8 + random() % 300);
    for (std::size_t i = random() % b.size(); i < b.size(); i += 1 + random() % 8)
      b[i] = static_cast<std::uint8_t>(random() % 4 == 0 ? 0 : random());
    cases.push_back({b, -1, ""});
  }
  for (const Case& c : cases) {
    const Loaded p(c.bytes, c.size);
    const std::string text = p.exported(false);
    EXPECT_NE(text.find(c.shown), std::string::npos) << text;
    Bytes back = imported(cp1251_to_utf8(text_from_host(host_text(cp(text)))));
    Bytes sectors = c.bytes;
    sectors.resize(static_cast<std::size_t>(p.cr.SIZE), 0);
    sectors.resize((sectors.size() + 255) / 256 * 256, 0);
    back.resize(std::max(back.size(), (back.size() + 255) / 256 * 256), 0);
    EXPECT_EQ(back, sectors) << text;
  }
}

}  // namespace
}  // namespace agat
