// make_samples DIR: fills DIR with sample disk images and ".FIL" files made by the disk
// core, to show a newcomer what the file manager can do: a 140 KB image and its nibble
// twin, an 800 KB plain and an 800 KB nibble image, files of every type (texts, one of
// them an "Агат-Автор" text, BASIC programs, one with long variable names, B and K
// binaries, a K file of 6502 code with its load address, pictures of video memory saved as
// B and K files), a locked and a deleted file, a BTK sub-catalog with files inside, and a
// few ".FIL" files.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/char_sets.h"
#include "core/cp1251.h"
#include "core/cp1251_literal.h"
#include "core/file_control.h"
#include "core/host_names.h"
#include "core/volume_name.h"

namespace {

using namespace agat;
using Bytes = std::vector<std::uint8_t>;

bool failed() {
  if (FC_CRITICALERRORBUFFER.empty() && FC_WARNINGBUFFER.empty()) return false;
  std::string text = cp1251_to_utf8(FC_CRITICALERRORBUFFER + FC_WARNINGBUFFER);
  std::fprintf(stderr, "make_samples: %s", text.c_str());
  return !FC_CRITICALERRORBUFFER.empty();
}

std::string cp(const std::string& utf8) {
  std::string out;
  utf8_to_cp1251(utf8, out);
  return out;
}

TAGATNAME agat_name(const std::string& utf8) {
  return HOST2AGATFNAME(utf8);
}

// A text in Agat code: lines end with $8D, the text with $00.
Bytes agat_text(const std::vector<std::string>& lines) {
  Bytes out;
  for (const std::string& line : lines) {
    for (char c : L2A(cp(line))) out.push_back(static_cast<std::uint8_t>(c));
    out.push_back(0x8D);
  }
  out.push_back(0x00);
  return out;
}

// Tokens of Agat BASIC.
constexpr std::uint8_t HOME = 0x97, PRINT = 0xBA, FOR = 0x81, TO = 0xC1, NEXT = 0x82, END = 0x80,
                       REM = 0xB2, INVERSE = 0x9E, NORMAL = 0x9D, VTAB = 0xA2, EQUALS = 0xD0,
                       TIMES = 0xCA;

// Program characters: the Agat code of each character with bit 7 cleared.
Bytes basic_text(const std::string& utf8) {
  Bytes codes;
  for (char c : L2A(cp(utf8))) codes.push_back(static_cast<std::uint8_t>(c) ^ 0x80);
  return codes;
}

Bytes join(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

// A reference to long variable N (1..511 but 256): the codes N / 256 + 1 and N % 256.
Bytes long_var(int n) {
  return {static_cast<std::uint8_t>(n / 256 + 1), static_cast<std::uint8_t>(n % 256)};
}

// A tokenised Agat BASIC program: the length word of the whole file, lines of link,
// number, codes and 0, a link with high byte 0 that ends the program, then the table of
// long variable names (their codes one after another, bit 7 on the last code of each
// name), a 0 and the table's length word.
Bytes basic_program(const std::vector<std::pair<std::uint16_t, Bytes>>& lines,
                    const std::vector<std::string>& long_names = {}) {
  Bytes out = {0, 0};
  std::uint16_t address = 0x0801;
  for (const auto& [number, codes] : lines) {
    const std::uint16_t next = static_cast<std::uint16_t>(address + 4 + codes.size() + 1);
    out.insert(out.end(),
               {static_cast<std::uint8_t>(next & 0xFF), static_cast<std::uint8_t>(next >> 8),
                static_cast<std::uint8_t>(number & 0xFF), static_cast<std::uint8_t>(number >> 8)});
    out.insert(out.end(), codes.begin(), codes.end());
    out.push_back(0);
    address = next;
  }
  out.insert(out.end(), {0, 0});
  Bytes table;
  for (const std::string& name : long_names) {
    for (char c : L2A(cp(name))) table.push_back(static_cast<std::uint8_t>(c) & 0x7F);
    table.back() |= 0x80;
  }
  out.insert(out.end(), table.begin(), table.end());
  out.insert(out.end(), {0, static_cast<std::uint8_t>(table.size() & 0xFF),
                         static_cast<std::uint8_t>(table.size() >> 8)});
  const std::uint16_t length = static_cast<std::uint16_t>(out.size());
  out[0] = length & 0xFF;
  out[1] = length >> 8;
  return out;
}

Bytes hello_program() {
  return basic_program({
      {10, join({{REM}, basic_text(" ПРИМЕР ПРОГРАММЫ НА БЕЙСИКЕ")})},
      {20, {HOME}},
      {30, join({{VTAB},
                 basic_text("5:"),
                 {INVERSE},
                 basic_text(":"),
                 {PRINT},
                 basic_text("\"ПРИВЕТ, АГАТ!\":"),
                 {NORMAL}})},
      {40, join({{FOR}, basic_text("I"), {EQUALS}, basic_text("1"), {TO}, basic_text("10")})},
      {50, join({{PRINT}, basic_text("I,I"), {TIMES}, basic_text("I")})},
      {60, join({{NEXT}, basic_text("I")})},
      {70, {END}},
  });
}

// A multiplication table with Russian messages and three long variable names; a fourth
// name is declared but never used, as the listing points out.
Bytes table_program() {
  const Bytes row = long_var(1), column = long_var(2), product = long_var(3);
  return basic_program(
      {
          {10, join({{REM}, basic_text(" ТАБЛИЦА УМНОЖЕНИЯ: ДЛИННЫЕ ИМЕНА ПЕРЕМЕННЫХ")})},
          {20, join({{HOME}, basic_text(":"), {PRINT}, basic_text("\"ТАБЛИЦА УМНОЖЕНИЯ\"")})},
          {30, join({{FOR}, row, {EQUALS}, basic_text("1"), {TO}, basic_text("9")})},
          {40, join({{FOR}, column, {EQUALS}, basic_text("1"), {TO}, basic_text("9")})},
          {50, join({product, {EQUALS}, row, {TIMES}, column})},
          {60, join({{PRINT}, product, basic_text(";\" \";")})},
          {70, join({{NEXT}, column, basic_text(":"), {PRINT}})},
          {80, join({{NEXT}, row})},
          {90, join({{PRINT}, basic_text("\"ГОТОВО: 81 КЛЕТКА\"")})},
          {100, {END}},
      },
      {"ROWNUMBER", "COLUMN", "PRODUCT", "UNUSED"});
}

// The data of an "Агат-Автор" text (a B file after its head): a byte of its own, then
// the codes with the groups of 32 moved as that system stores them (60-7F as 40-5F,
// E0-FF as 60-7F, 40-5F as E0-FF), lines ended by $8D and the text by $80. Its
// letters keep their case: lower-case Cyrillic is Agat 60-7F.
Bytes agawt_text(const std::vector<std::string>& lines) {
  std::array<std::uint8_t, 256> agat{};  // A2L is one-to-one: its inverse
  for (int code = 0; code < 256; ++code)
    agat[A2L(static_cast<std::uint8_t>(code))] = static_cast<std::uint8_t>(code);
  constexpr std::array<std::uint8_t, 8> kMove = {0x00, 0x00, 0xA0, 0x20, 0x00, 0x00, 0x00, 0x80};
  Bytes out = {0};
  for (const std::string& line : lines) {
    for (char c : cp(line)) {
      const std::uint8_t code = agat[static_cast<std::uint8_t>(c)];
      out.push_back(code ^ kMove[code >> 5]);
    }
    out.push_back(0x8D);
  }
  out.push_back(0x80);
  return out;
}

// The name of an "Агат-Автор" text: the Agat codes that read "тekst." and a name.
TAGATNAME agawt_name(const std::string& utf8) {
  TAGATNAME name = agat_name(utf8);
  std::copy_backward(name.begin(), name.end() - 6, name.end());
  const std::uint8_t tekst[] = {0x74, 0x45, 0x4B, 0x53, 0x54, 0xAE};
  std::copy(std::begin(tekst), std::end(tekst), name.begin());
  return name;
}

// A B file: load address, length, then the data.
Bytes b_file(std::uint16_t address, const Bytes& data) {
  Bytes out = {static_cast<std::uint8_t>(address & 0xFF), static_cast<std::uint8_t>(address >> 8),
               static_cast<std::uint8_t>(data.size() & 0xFF),
               static_cast<std::uint8_t>(data.size() >> 8)};
  out.insert(out.end(), data.begin(), data.end());
  return out;
}

// A 6502 routine: clears the screen memory and returns.
Bytes machine_code() {
  return {0xA9, 0xA0, 0xA2, 0x00, 0x9D, 0x00, 0x70, 0x9D, 0x00, 0x71, 0x9D,
          0x00, 0x72, 0x9D, 0x00, 0x73, 0xE8, 0xD0, 0xF1, 0xA9, 0xC1, 0x8D,
          0x00, 0x70, 0x20, 0xED, 0xFD, 0x60, 0x00, 0x00, 0xEA, 0xEA};
}

// An 8 KB monochrome picture of 256 x 256 points (32 bytes a row): rings and a frame.
Bytes picture() {
  Bytes data(8192, 0);
  for (int y = 0; y < 256; ++y) {
    for (int x = 0; x < 256; ++x) {
      const double r = std::hypot(x - 128.0, y - 128.0);
      const bool lit = x < 2 || x > 253 || y < 2 || y > 253 ||
                       (static_cast<int>(r) % 16 < 3 && r < 120) || std::abs(x - y) < 2 ||
                       std::abs(x + y - 255) < 2;
      if (lit) data[y * 32 + x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
    }
  }
  return data;
}

// A K file's program, loaded at $1800: clears the screen memory $7000-$77FF with Agat
// blanks, then prints a greeting through the monitor's character output.
Bytes greeting_program() {
  Bytes code = {
      0x20, 0x11, 0x18,  // 1800 JSR $1811     clear the screen
      0xA2, 0x00,        // 1803 LDX #$00
      0xBD, 0x2B, 0x18,  // 1805 LDA $182B,X   the next character of the text
      0xF0, 0x06,        // 1808 BEQ $1810     a zero ends it
      0x20, 0xED, 0xFD,  // 180A JSR $FDED     character output
      0xE8,              // 180D INX
      0xD0, 0xF5,        // 180E BNE $1805
      0x60,              // 1810 RTS
      0xA9, 0x00,        // 1811 LDA #$00      ($FE) = $7000
      0x85, 0xFE,        // 1813 STA $FE
      0xA9, 0x70,        // 1815 LDA #$70
      0x85, 0xFF,        // 1817 STA $FF
      0xA9, 0xA0,        // 1819 LDA #$A0      an Agat blank
      0xA0, 0x00,        // 181B LDY #$00
      0x91, 0xFE,        // 181D STA ($FE),Y
      0xC8,              // 181F INY
      0xD0, 0xFB,        // 1820 BNE $181D
      0xE6, 0xFF,        // 1822 INC $FF       the next page
      0xA6, 0xFF,        // 1824 LDX $FF
      0xE0, 0x78,        // 1826 CPX #$78      up to $77FF
      0x90, 0xF3,        // 1828 BCC $181D
      0x60,              // 182A RTS
  };
  const Bytes text = agat_text({"ПРИВЕТ ОТ АГАТА!"});  // 182B
  code.insert(code.end(), text.begin(), text.end());
  code.push_back(0x00);
  return code;
}

// An 8 KB colour picture of 128 x 128 points, two a byte (16 colours): rings of every
// colour on dark blue.
Bytes colour_picture() {
  Bytes data(8192, 0);
  for (int y = 0; y < 128; ++y) {
    for (int x = 0; x < 128; ++x) {
      const double r = std::hypot(x - 63.5, y - 63.5);
      const int colour = r < 60 ? 1 + static_cast<int>(r / 4) % 15 : 4;
      data[y * 64 + x / 2] |= static_cast<std::uint8_t>(x % 2 ? colour : colour << 4);
    }
  }
  return data;
}

// A 16 KB four-colour picture of 256 x 256 points, four a byte: even rows in the first
// half, odd rows in the second. Diamonds of red, green and blue on black.
Bytes four_colour_picture() {
  Bytes data(16384, 0);
  for (int y = 0; y < 256; ++y) {
    for (int x = 0; x < 256; ++x) {
      const int d = std::abs(x % 64 - 32) + std::abs(y % 64 - 32);
      const int value = d < 30 ? 1 + (x / 64 + y / 64) % 3 : 0;
      data[(y % 2) * 8192 + (y / 2) * 64 + x / 4] |=
          static_cast<std::uint8_t>(value << (6 - 2 * (x % 4)));
    }
  }
  return data;
}

// A 2 KB text screen of 32 rows of 64 Agat codes: a title, every character code, and a
// line of lower-case Cyrillic (codes $60..$7F).
Bytes text_screen() {
  Bytes data(2048, 0xA0);
  auto put = [&data](int row, const std::string& utf8) {
    const std::string agat = L2A(cp(utf8));
    std::copy(agat.begin(), agat.end(), data.begin() + row * 64 + 2);
  };
  put(1, "АГАТ: ТЕКСТОВЫЙ ЭКРАН, 64 СИМВОЛА В СТРОКЕ");
  put(3, "ВСЕ 256 КОДОВ:");
  for (int code = 0; code < 256; ++code)
    data[(5 + code / 64) * 64 + code % 64] = static_cast<std::uint8_t>(code);
  put(10, "СТРОЧНЫЕ:");
  for (int code = 0x60; code < 0x80; ++code)
    data[10 * 64 + 12 + (code - 0x60)] = static_cast<std::uint8_t>(code);
  put(12, "СТРЕЛКИ ВЛЕВО И ВПРАВО МЕНЯЮТ РЕЖИМ ПОКАЗА.");
  return data;
}

struct Sample {
  std::unique_ptr<TMEDIA> md = std::make_unique<TMEDIA>();
  TFILEBUF* buf;

  Sample(const std::string& dir, const std::string& name, TIMAGET type, TFILEBUF* b) : buf(b) {
    md->MEDIAT = MDIMAGE;
    md->HOSTPATH = dir;
    md->IMAGENAME = name;
    set_geometry(*md, type);
    FC_INITMEDIA(*md);
    FC_READCAT(*md);
  }
  void volume(const std::string& utf8) {
    FC_LOADMEDIA(*md);
    set_volume_name(as<TVTOCSECTOR>(md->MASS[17][0]), L2A(cp(utf8)));
    FC_SAVEMEDIA(*md, false);
    FC_READCAT(*md);
  }
  void save(const std::string& name, std::uint8_t type, const Bytes& data,
            std::uint16_t k_length = 0, std::uint16_t k_address = 0) {
    save(agat_name(name), type, data, k_length, k_address);
  }
  void save(const TAGATNAME& name, std::uint8_t type, const Bytes& data, std::uint16_t k_length = 0,
            std::uint16_t k_address = 0) {
    TCATREC cr;
    cr.AGATNAME = name;
    cr.EXT = type;
    cr.SIZE = static_cast<std::int32_t>(data.size());
    // A K file keeps its length in T/S-list bytes 8..9 and its load address in 10..11.
    put_le16(&cr.TSDATA[5], k_length);
    put_le16(&cr.TSDATA[7], k_address);
    buf->fill(0);  // the rest of the last sector
    std::copy(data.begin(), data.end(), buf->begin());
    FC_SAVE(cr, *buf, *md, false);
    FC_READCAT(*md);
  }
  TCATREC* entry(const std::string& name) {
    const TAGATNAME n = agat_name(name);
    for (int i = 0; i < md->CAT.CATNUM; ++i)
      if (md->CAT.CATREC[i].AGATNAME == n) return &md->CAT.CATREC[i];
    return nullptr;
  }
  void enter(const std::string& name) {
    FC_CHDIR(*entry(name));
    FC_READCAT(*md);
  }
  void leave() {  // through the slave entry of the sub-catalog
    FC_CHDIR(md->CAT.CATREC[1]);
    FC_READCAT(*md);
  }
};

void fill_140(Sample& s) {
  s.volume("ДЕМОНСТРАЦИОННЫЙ ДИСК");
  s.save("ЧИТАЙ МЕНЯ", 0x00,
         agat_text({"ЭТО ДИСК С ПРИМЕРАМИ ДЛЯ ФАЙЛОВОГО МЕНЕДЖЕРА.", "",
                    "F3 - ПОСМОТРЕТЬ ФАЙЛ, F5 - СКОПИРОВАТЬ,", "F6 - ПЕРЕМЕСТИТЬ, F8 - УДАЛИТЬ,",
                    "F4 - ВОССТАНОВИТЬ УДАЛЕННЫЙ ФАЙЛ,", "F9 - ГЛАВНОЕ МЕНЮ, F10 - ВЫХОД."}));
  s.save("ПРИВЕТ", 0x02, hello_program());
  s.save("ТАБЛИЦА", 0x02, table_program());
  s.save(agawt_name("ПИСЬМО"), 0x04,
         b_file(0x0800, agawt_text({"Этот текст записан системой \"Агат-Автор\".",
                                    "В нем есть строчные и ПРОПИСНЫЕ буквы,",
                                    "цифры 0123456789 и знаки: (+-*/=).", "",
                                    "F3 показывает его как текст."})));
  s.save("ОЧИСТКА ЭКРАНА", 0x04, b_file(0x0C00, machine_code()));
  s.save("ПОДПРОГРАММА", 0x20, machine_code(), static_cast<std::uint16_t>(machine_code().size()));
  s.save("ЗАСТАВКА", 0x20, greeting_program(),
         static_cast<std::uint16_t>(greeting_program().size()), 0x1800);
  s.save("КАРТИНКА", 0x04, b_file(0x6000, picture()));
  s.save("КОЛЬЦА", 0x04, b_file(0x6000, colour_picture()));
  // (Agat names have no "Ё": the panels show it as "?".)
  s.save("ЗАЩИЩЕННЫЙ", 0x00, agat_text({"ЭТОТ ФАЙЛ ЗАЩИЩЕН ОТ ЗАПИСИ (ЗВЕЗДОЧКА В СПИСКЕ)."}));
  FC_RELOCK(*s.entry("ЗАЩИЩЕННЫЙ"), 1);
  FC_READCAT(*s.md);
  FC_MAKEDIR(*s.md, agat_name("ИГРЫ"));
  FC_READCAT(*s.md);
  s.enter("ИГРЫ");
  s.save("ОПИСАНИЕ", 0x00, agat_text({"ПОДКАТАЛОГ: ENTER - ВОЙТИ, ВТОРАЯ СТРОКА - ВЫЙТИ."}));
  s.save("ЗМЕЙКА", 0x02, hello_program());
  s.leave();
  // Deleted last, so that nothing reuses its catalog entry: it stays to be undeleted.
  s.save("УДАЛЕННЫЙ", 0x00, agat_text({"МЕНЯ УДАЛИЛИ, НО F4 ВЕРНЕТ МЕНЯ НА МЕСТО."}));
  FC_DELETE(*s.entry("УДАЛЕННЫЙ"));
  FC_READCAT(*s.md);
}

void fill_800(Sample& s) {
  s.volume("БОЛЬШОЙ ДИСК 800 К");
  for (int i = 1; i <= 12; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "ТЕКСТ %02d", i);
    std::vector<std::string> lines;
    for (int l = 1; l <= 40 * i; ++l)
      lines.push_back("СТРОКА " + std::to_string(l) + " ФАЙЛА " + name);
    s.save(name, 0x00, agat_text(lines));
  }
  s.save("КАРТИНКА", 0x04, b_file(0x6000, picture()));
  s.save("РОМБЫ", 0x20, four_colour_picture(), 0x4000, 0x4000);
  s.save("ЭКРАН", 0x04, b_file(0x7800, text_screen()));
  FC_MAKEDIR(*s.md, agat_name("АРХИВ"));
  FC_READCAT(*s.md);
  s.enter("АРХИВ");
  s.save("ПРОГРАММА", 0x02, hello_program());
  s.leave();
}

void save_fil(const std::string& dir, TFILEBUF& buf, const std::string& name, std::uint8_t type,
              const Bytes& data) {
  auto host = std::make_unique<TMEDIA>();
  host->MEDIAT = MDHOSTFS;
  host->HOSTPATH = dir;
  TCATREC cr;
  cr.AGATNAME = agat_name(name);
  cr.EXT = type;
  cr.SIZE = static_cast<std::int32_t>(data.size());
  cr.HOSTNAME = AGAT2HOSTFNAME(cr.AGATNAME) + ".FIL";
  std::copy(data.begin(), data.end(), buf.begin());
  FC_SAVE(cr, buf, *host, true);
}

// A copy of an image in another form of the same geometry; a form with a header gets
// `description` in it.
void twin(const std::string& dir, const std::string& from, TIMAGET from_type, const std::string& to,
          TIMAGET to_type, std::string_view description = {}) {
  auto md = std::make_unique<TMEDIA>();
  md->MEDIAT = MDIMAGE;
  md->HOSTPATH = dir;
  md->IMAGENAME = from;
  set_geometry(*md, from_type);
  FC_LOADMEDIA(*md);
  md->IMAGENAME = to;
  set_geometry(*md, to_type);
  md->DESCRIPTION = description;
  FC_SAVEMEDIA(*md, true);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_samples DIR\n");
    return 2;
  }
  std::string dir = argv[1];
  std::filesystem::create_directories(dir);
  dir = std::filesystem::canonical(dir).string() + "/";
  for (const char* name : {"demo140.dsk", "demo140.nib", "big800.dsk", "big800.nib", "big800e.dsk",
                           "README.FIL", "HELLO.FIL", "PICTURE.FIL"})
    std::filesystem::remove(dir + name);

  static TFILEBUF buf;
  {
    Sample s140(dir, "demo140.dsk", ITI140, &buf);
    fill_140(s140);
  }
  twin(dir, "demo140.dsk", ITI140, "demo140.nib", ITN140);
  {
    Sample s800(dir, "big800.dsk", ITI800, &buf);
    fill_800(s800);
  }
  twin(dir, "big800.dsk", ITI800, "big800.nib", ITN800);
  twin(dir, "big800.dsk", ITI800, "big800e.dsk", ITE800, "Образец: диск 800 К эмулятора"_w);
  save_fil(
      dir, buf, "README", 0x00,
      agat_text({"ФАЙЛЫ .FIL ХРАНЯТ ПО ОДНОМУ ФАЙЛУ АГАТА.", "КОПИРУЙТЕ ИХ В ОБРАЗ КЛАВИШЕЙ F5."}));
  save_fil(dir, buf, "HELLO", 0x02, hello_program());
  save_fil(dir, buf, "PICTURE", 0x04, b_file(0x6000, picture()));
  if (failed()) return 1;
  std::printf("make_samples: sample images are in %s\n", dir.c_str());
  return 0;
}
