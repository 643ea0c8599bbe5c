// agatdisk info, view, export and import run as processes: round trips of texts and
// binaries, the export-only formats, BASIC exports against their views, the information
// pages and the exit statuses.
#include <gtest/gtest.h>

#include "core/char_sets.h"
#include "harness.h"

#ifndef MAKE_SAMPLES_BINARY
#error "MAKE_SAMPLES_BINARY must name the program that makes the sample images"
#endif

namespace agat::testing {
namespace {

class AgatdiskContent : public AgatdiskTest {
 protected:
  void SetUp() override {
    AgatdiskTest::SetUp();
    auto md = image_medium(dir.host_path(), "disk.dsk", ITI140);
    FC_INITMEDIA(*md);
    // A B file read as an "Агат-Автор" text is "AB", "C"; as an "Автограф" text "A", "BC"
    // (the colour code $83 leaves no trace); a plain text with a control code ($87).
    save(*md, "AW", 0x04, {0x00, 0x08, 0x05, 0x00, 0x00, 0xC1, 0xC2, 0x8D, 0xC3, 0x80});
    Bytes autograf = {0x00, 0x08, 0x05, 0x00, 0x41, 0x00, 0x42, 0x03, 0x43};
    autograf.resize(256, 0x03);  // read up to the end of the sector: colours only
    save(*md, "AG", 0x04, autograf);
    save(*md, "BELL", 0x00, {0xC1, 0x87, 0xC2, 0x8D, 0x00});
    FC_MAKEDIR(*md, agat_name("SUB"));
    ASSERT_EQ(take_critical(), "");
  }
};

TEST_F(AgatdiskContent, ImportThenExportGivesBackTextLinesAndCodeBytes) {
  const std::string text =
      "ЗАГЛАВНЫЕ БУКВЫ И LATIN CAPITALS\n0123456789 .,;:!?()[]+-*/=<>\"'#$%&\n\n";
  write_bytes(dir.file("notes.txt"), Bytes(text.begin(), text.end()));
  Bytes code = pattern(1000, 3);
  write_bytes(dir.file("code.bin"), code);
  // Converted: only bytes that the conversion to the Agat code and back leaves as they are.
  std::erase_if(code, [](std::uint8_t b) { return A2L(L2A(b)) != b; });
  write_bytes(dir.file("conv.bin"), code);
  struct Case {
    std::string file, import, name, info;
  };
  for (const Case& c : std::vector<Case>{
           {"notes.txt", "", "notes.txt", "\"format\": \"text\""},
           {"code.bin", "--format binary", "B1",
            "\"load_address\": 6144,\n  \"code_length\": 1000"},
           {"code.bin", "--format komand", "K1",
            "\"ts_data\": [0, 0, 0, 0, 0, 232, 3, 0, 24]"},  // length 1000, address $1800
           {"conv.bin", "--format binary --convert", "B2", "\"format\": \"binary\""},
           {"conv.bin", "--format asis --convert", "K2", "\"format\": \"komand\""}}) {
    SCOPED_TRACE(c.name);
    const std::string convert = c.import.find("--convert") != std::string::npos ? " --convert" : "";
    const Outcome r = sh("agatdisk import disk.dsk " + c.file + " " + c.import + " --name " +
                         c.name + " && agatdisk export disk.dsk " + c.name + convert +
                         " -o back && agatdisk info disk.dsk " + c.name + " --json");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(contains(r.out, c.info));
    EXPECT_EQ(file_bytes(dir.file("back")), file_bytes(dir.file(c.file)));
    std::filesystem::remove(dir.file("back"));
  }
  expect_sound(dir.file("disk.dsk"));
  const Outcome view = sh("agatdisk view disk.dsk K1 | head -2");
  EXPECT_EQ(view.out.substr(0, 5), "1800-");
}

TEST_F(AgatdiskContent, ImportKeepsNamesakesUnderNumberedNamesUnlessForced) {
  std::filesystem::create_directories(fs_path(dir.file("x")));
  std::filesystem::create_directories(fs_path(dir.file("y")));
  const std::string name30 = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123";
  for (const auto& [file, text] : std::vector<std::pair<std::string, std::string>>{
           {"x/notes.txt", "first\n"}, {"y/notes.txt", "second\n"}, {"z.txt", "third\n"}})
    write_bytes(dir.file(file), Bytes(text.begin(), text.end()));
  // Each import, the name its message gives the new file ("" for none), the name it is
  // stored under; each file holds its own text, the forced ones in their namesakes' places.
  const std::string n28 = name30.substr(0, 28);
  const std::tuple<std::string, std::string, std::string> steps[] = {
      {"x/notes.txt", "", "notes.txt"},
      {"y/notes.txt", "notes.txt~1", "notes.txt~1"},
      {"z.txt --name notes.txt", "notes.txt~2", "notes.txt~2"},
      {"z.txt --name notes.txt~1", "notes.txt~1~1", "notes.txt~1~1"},
      {"x/notes.txt --name " + name30, "", name30},
      {"y/notes.txt --name " + name30, n28 + "~1", n28 + "~1"},
      {"z.txt --name " + name30, n28 + "~2", n28 + "~2"},
      {"y/notes.txt --name AW --force", "", "AW"},
      {"z.txt --name BELL -f", "", "BELL"}};
  for (const auto& [line, warned, stored] : steps) {
    const Outcome r = sh("agatdisk import disk.dsk " + line);
    EXPECT_EQ(r.status, 0) << line << "\n" << r.err;
    EXPECT_EQ(r.err.find("\"" + warned + "\"") != std::string::npos, !warned.empty()) << r.err;
  }
  for (const auto& [line, warned, stored] : steps) {
    const Outcome r = sh("agatdisk export disk.dsk '" + stored + "' -o out -f && cat out");
    const char* const texts[] = {"first\n", "second\n", "third\n"};
    EXPECT_EQ(r.out, texts[line[0] - 'x']) << stored << r.err;
  }
  EXPECT_EQ(sh("agatdisk list disk.dsk --json | grep -c '\"kind\": \"file\"'").out, "10\n");
  // A locked namesake is kept even when forced.
  const Outcome locked =
      sh("agatdisk lock disk.dsk AW && agatdisk import disk.dsk z.txt "
         "--name AW --force");
  EXPECT_EQ(locked.status, 1);
  EXPECT_TRUE(contains(locked.err, "запертый"));
  expect_sound(dir.file("disk.dsk"));
}

TEST_F(AgatdiskContent, ExportOnlyFormatsAndEveryBasicLineInItsView) {
  ASSERT_EQ(sh(std::string(MAKE_SAMPLES_BINARY) + " . >/dev/null").status, 0);
  struct Case {
    std::string args, exported;
  };
  for (const Case& c : std::vector<Case>{{"AW --format agawt", "AB\nC"},
                                         {"AG --format autograf", "A\nBC"},
                                         {"BELL", "A\aB\n"}}) {  // converted, not shown
    const Outcome r = sh("agatdisk export disk.dsk " + c.args + " -o t && cat t");
    EXPECT_EQ(r.out, c.exported) << c.args << r.err;
    std::filesystem::remove(dir.file("t"));
  }
  EXPECT_EQ(sh("agatdisk view disk.dsk BELL").out, "A?B\n\n== EOF ==\n");
  EXPECT_EQ(sh("agatdisk view disk.dsk AG --format autograf").out, "A\nBC\n== EOF ==\n");
  // Each line of an exported program, blanks aside, comes in order in the listing, where
  // statements stand on lines of their own; the GW-Basic export has its own keywords.
  const auto squeezed = [](std::string s) { return std::erase_if(s, ::isspace), s; };
  for (const std::string name : {"ПРИВЕТ", "ТАБЛИЦА"}) {
    ASSERT_EQ(sh("agatdisk export demo140.dsk " + name + " -o agat.bas && agatdisk export " +
                 "demo140.dsk " + name + " --convert -o gw.bas")
                  .status,
              0);
    const std::string exported = text_of(file_bytes(dir.file("agat.bas")));
    const std::string view = squeezed(sh("agatdisk view demo140.dsk " + name).out);
    std::size_t at = 0, lines = 0;
    for (std::size_t b = 0, e; b < exported.size(); b = e + 1, ++lines) {
      e = std::min(exported.find('\n', b), exported.size());
      at = view.find(squeezed(exported.substr(b, e - b)), at);
      ASSERT_NE(at, std::string::npos) << name << ": " << exported.substr(b, e - b);
    }
    EXPECT_GE(lines, 7u);
    EXPECT_TRUE(contains(text_of(file_bytes(dir.file("gw.bas"))), " CLS"));
    std::filesystem::remove(dir.file("agat.bas"));
    std::filesystem::remove(dir.file("gw.bas"));
  }
}

TEST_F(AgatdiskContent, InformationPagesAndExitStatuses) {
  write_bytes(dir.file("AW.bin"), {1});
  struct Case {
    std::string line;
    int status;
    std::string out, err = "";
  };
  for (const Case& c : std::vector<Case>{
           {"agatdisk info disk.dsk", 0,
            "           HostOS имя: disk.dsk\n          Тип объекта: Образ Агат-диска: Образ 140 К "
            "без эпилога {35 треков x 16 секторов = 143360 байт}\n"},
           {"agatdisk info disk.dsk AW | tail -4", 0,
            "Первый T/S список: 17 / 15\nПредполагаемый формат: Исполняемый двоичный файл dos "
            "3.3\nТочка загрузки: $0800\n    Длина кода: $0005\n"},
           {"agatdisk info disk.dsk SUB | tail -1", 0, "Координаты начала: 17 / 9\n"},
           {"agatdisk info disk.dsk SUB --json | grep start", 0, "  \"start\": [17, 9]\n"},
           {"agatdisk view disk.dsk NOPE", 1, "", "нет файла \"NOPE\""},
           {"agatdisk view disk.dsk AW --format nope", 2, "", "неизвестный формат \"nope\""},
           {"agatdisk import disk.dsk AW.bin --format agawt", 2, "", "не импортируется"},
           {"agatdisk import disk.dsk none.txt", 1, "", "none.txt"},
           {"agatdisk export disk.dsk AW", 1, "", "\"AW.bin\" уже есть"},
           {"agatdisk export disk.dsk AW -f && wc -c < AW.bin", 0, "5\n"}}) {
    SCOPED_TRACE(c.line);
    expect_outcome(sh(c.line), c.status, c.out, c.err);
  }
}

}  // namespace
}  // namespace agat::testing
