// agatdisk run as a process over a table of command lines: each line runs in a fresh
// directory of images built through the core, and its exit status, its standard output,
// its messages and the files it leaves are checked.

#include <gtest/gtest.h>

#include <regex>

#include "harness.h"

namespace agat::testing {
namespace {

namespace fs = std::filesystem;

// The catalog of disk.dsk, in catalog order: a sub-catalog with a file of its own, a
// deleted file and a Cyrillic name.
void build_disk(const std::string& path) {
  ImageBuilder(path, ITI140)
      .file("HELLO", 0x02, pattern(300, 1))
      .file("DATA", 0x04, pattern(1000, 2))
      .file("LOCKED", 0x84, pattern(10, 3))
      .enter("SUB")
      .file("INNER", 0x00, pattern(50, 4))
      .enter("SUB")
      .file("OLD", 0x00, pattern(700, 5))
      .file("ПРИВЕТ", 0x00, pattern(20, 6))
      .remove("OLD");
}

const std::string kDiskListing =
    "Том:\n"
    " A   3 HELLO\n"
    " B   5 DATA\n"
    "*B   2 LOCKED\n"
    "     0 SUB [каталог]\n"
    " T   4 OLD [удалён]\n"
    " T   2 ПРИВЕТ\n"
    "Свободных секторов: 526\n";

void fill_sector(const std::string& path, int track, int sector, std::uint8_t value) {
  Bytes image = file_bytes(path);
  std::fill_n(image.begin() + (track * 16 + sector) * 256, 256, value);
  write_bytes(path, image);
}

class AgatdiskCommands : public CoreTest {
 protected:
  void SetUp() override {
    CoreTest::SetUp();
    build_disk(dir.file("disk.dsk"));
    // 537 data sectors and their 5 T/S lists take all 542 free sectors of a new image.
    ImageBuilder(dir.file("full.dsk"), ITI140).file("BIG", 0x04, pattern(537 * 256, 7));
    ImageBuilder(dir.file("big800.dsk"), ITI800);
    fs::copy_file(dir.file("disk.dsk"), dir.file("broken.dsk"));
    fill_sector(dir.file("broken.dsk"), 17, 1, 0xBD);  // the only sector of the root catalog
    fs::copy_file(dir.file("disk.dsk"), dir.file("badvtoc.dsk"));
    fill_sector(dir.file("badvtoc.dsk"), 17, 0, 0xBD);
    // HELLO's first data sector unreadable.
    fs::copy_file(dir.file("disk.dsk"), dir.file("warn.dsk"));
    auto md = read_image(dir.file("disk.dsk"));
    const TCATREC& hello = *find_entry(*md, "HELLO");
    const auto& list = as<TTSLSECTOR>(md->MASS[hello.TTSL][hello.STSL]);
    fill_sector(dir.file("warn.dsk"), list.TSL[0][0], list.TSL[0][1], 0xBD);
    write_bytes(dir.file("small.txt"), pattern(100, 8));
    write_bytes(dir.file("notimage.bin"), Bytes(1000, 0));
    write_bytes(dir.file("short.fil"), Bytes(10, 0));
  }

  TempDir dir;
};

struct Case {
  const char* title;
  std::vector<std::string> args;
  int status;
  std::string out;  // the whole standard output; after a leading "~", a pattern for it
  std::string err;  // text that standard error holds; "" when it must be empty
  std::vector<std::string> changed = {};  // files that may change or appear
};

std::vector<Case> cases() {
  const std::string hello = text_of(whole_sectors(pattern(300, 1)));
  const std::string hello_unread = std::string(256, '\xBD') + hello.substr(256);
  return {
      // Usage errors.
      {"no command", {}, 2, "", "не задана команда"},
      {"unknown command", {"frob"}, 2, "", "неизвестная команда \"frob\""},
      {"missing operand", {"list"}, 2, "", "не хватает аргументов"},
      {"extra operand", {"list", "disk.dsk", "more"}, 2, "", "лишний аргумент \"more\""},
      {"unknown option", {"list", "disk.dsk", "--bogus"}, 2, "", "неизвестный ключ \"--bogus\""},
      {"value missing",
       {"get", "disk.dsk", "HELLO", "-o"},
       2,
       "",
       "после ключа --output нужно ФАЙЛ"},
      {"value for a flag", {"list", "--json=yes", "disk.dsk"}, 2, "", "не принимает значения"},
      {"usage line", {"rm", "disk.dsk"}, 2, "", "вызов: agatdisk rm ОБРАЗ ИМЯ"},
      {"unknown type",
       {"put", "disk.dsk", "small.txt", "--type", "Q"},
       2,
       "",
       "неизвестный тип \"Q\""},
      {"sub-catalog mark as type",
       {"put", "disk.dsk", "small.txt", "--type", "0xFF"},
       2,
       "",
       "неизвестный тип"},
      {"name too long",
       {"mkdir", "disk.dsk", std::string(31, 'N')},
       2,
       "",
       "должно быть от 1 до 30 знаков"},
      {"empty name", {"get", "disk.dsk", ""}, 2, "", "должно быть от 1 до 30 знаков"},
      {"name outside the code page", {"get", "disk.dsk", "日本"}, 2, "", "нет в кодировке Агата"},
      {"form missing", {"new", "n.dsk"}, 2, "", "нужен ключ --form"},
      {"AIM form cannot be made",
       {"new", "n.dsk", "--form", "aim800"},
       2,
       "",
       "неизвестная форма \"aim800\""},
      {"unknown form",
       {"convert", "disk.dsk", "n.dsk", "--form", "dsk141"},
       2,
       "",
       "неизвестная форма"},

      // Help.
      {"overview",
       {"--help"},
       0,
       "~agatdisk — [\\s\\S]*\n  cmp ОБРАЗ1 ОБРАЗ2 +посекторное[\\s\\S]*3 — cmp нашла различия.\n",
       ""},
      {"command help wins over errors",
       {"put", "--help", "--type", "Q"},
       0,
       "~agatdisk put ОБРАЗ ФАЙЛ [\\s\\S]*0x84[\\s\\S]*",
       ""},

      // Bad input.
      {"missing image", {"list", "missing.dsk"}, 1, "", "файл образа \"missing.dsk\" не найден"},
      {"no image size",
       {"list", "notimage.bin"},
       1,
       "",
       "1000 байт — не размер ни одной из девяти форм"},
      {"directory as image", {"list", "."}, 1, "", "\".\" — не файл"},
      {"name not found", {"get", "disk.dsk", "NOPE"}, 1, "", "в каталоге нет файла \"NOPE\""},
      {"names are case-sensitive",
       {"get", "disk.dsk", "hello"},
       1,
       "",
       "в каталоге нет файла \"hello\""},
      {"a sub-catalog is no file",
       {"lock", "disk.dsk", "SUB"},
       1,
       "",
       "в каталоге нет файла \"SUB\""},
      {"a file is no sub-catalog",
       {"cd", "disk.dsk", "HELLO"},
       1,
       "",
       "в каталоге нет BTK-каталога \"HELLO\""},
      {"only deleted files undelete",
       {"undelete", "disk.dsk", "HELLO"},
       1,
       "",
       "нет удалённого файла \"HELLO\""},
      {"full disk",
       {"put", "full.dsk", "small.txt"},
       1,
       "",
       "Выделение сектора: закончилось свободное пространство среды."},
      {"full disk names the file",
       {"put", "full.dsk", "small.txt"},
       1,
       "",
       "Записывался файл \"small.txt" + std::string(21, ' ') + "\""},
      {"full disk, sub-catalog",
       {"mkdir", "full.dsk", "NEW"},
       1,
       "",
       "закончилось свободное пространство"},
      {"damaged catalog listed",
       {"list", "broken.dsk"},
       1,
       "Том:\nСвободных секторов: 526\n",
       "agatdisk: Чтение каталога среды: каталог: сектор 17/1 не читается"},
      {"damaged catalog, put",
       {"put", "broken.dsk", "small.txt"},
       1,
       "",
       "сектор 17/1 не читается"},
      {"damaged catalog, rm", {"rm", "broken.dsk", "HELLO"}, 1, "", "сектор 17/1 не читается"},
      {"damaged VTOC",
       {"list", "badvtoc.dsk", "--json"},
       1,
       "",
       "Чтение каталога среды: VTOC: сектор 17/0 не читается"},
      {"non-empty sub-catalog",
       {"rm", "disk.dsk", "SUB"},
       1,
       "",
       "Удалять непустой каталог нельзя (\"SUB"},
      {"name taken", {"mkdir", "disk.dsk", "HELLO"}, 1, "", "Такое имя уже есть (\"HELLO"},
      {"new image never replaces",
       {"new", "disk.dsk", "--form", "dsk140"},
       1,
       "",
       "Запись образа: такой файл уже существует"},
      {"conversion keeps geometry",
       {"convert", "disk.dsk", "n.nib", "--form", "nib800"},
       1,
       "",
       "разная геометрия"},
      {"conversion never replaces",
       {"convert", "disk.dsk", "small.txt", "--form", "dsk140"},
       1,
       "",
       "такой файл уже существует"},
      {"comparison keeps geometry",
       {"cmp", "disk.dsk", "big800.dsk"},
       1,
       "",
       "невозможно сравнить диски с разной геометрией"},
      {"output file kept",
       {"get", "disk.dsk", "HELLO", "-o", "small.txt"},
       1,
       "",
       "файл \"small.txt\" уже есть; --force заменит его"},
      {"host file missing",
       {"put", "disk.dsk", "nothere.txt"},
       1,
       "",
       "не удалось прочитать файл \"nothere.txt\""},
      {"short .FIL file",
       {"put", "disk.dsk", "short.fil", "--fil"},
       1,
       "",
       "Загрузка FIL-файла: ошибка чтения файла \"./short.fil\""},

      // Success.
      {"listing", {"list", "disk.dsk"}, 0, kDiskListing, ""},
      {"file to standard output", {"get", "disk.dsk", "HELLO"}, 0, hello, ""},
      {"options after --", {"get", "--", "disk.dsk", "HELLO"}, 0, hello, ""},
      {"deleted file still readable",
       {"get", "disk.dsk", "OLD"},
       0,
       text_of(whole_sectors(pattern(700, 5))),
       ""},
      {"warnings do not fail",
       {"get", "warn.dsk", "HELLO"},
       0,
       hello_unread,
       "agatdisk: предупреждение: Загрузка файла: данные: сектор "},
      {"output replaced by request",
       {"get", "disk.dsk", "HELLO", "-o", "small.txt", "--force"},
       0,
       "",
       "",
       {"small.txt"}},
      {"new image", {"new", "n.nib", "--form=nib140"}, 0, "", "", {"n.nib"}},
      {"lock", {"lock", "disk.dsk", "HELLO"}, 0, "", "", {"disk.dsk"}},
      {"put", {"put", "disk.dsk", "small.txt"}, 0, "", "", {"disk.dsk"}},
      {"same image",
       {"cmp", "disk.dsk", "disk.dsk"},
       0,
       "Сравнение образа ./disk.dsk\nс образом        ./disk.dsk:\nОтличий между образами не "
       "найдено\n",
       ""},
  };
}

TEST_F(AgatdiskCommands, TableOfCommandLines) {
  for (const Case& c : cases()) {
    SCOPED_TRACE(c.title);
    TempDir run_dir;
    for (const auto& e : fs::directory_iterator(dir.path()))
      fs::copy_file(e.path(), run_dir.path() / e.path().filename());
    const auto before = files_of(run_dir);

    const Outcome r = run_agatdisk(c.args, run_dir.path().string());
    EXPECT_EQ(r.status, c.status) << r.err;
    if (c.out.starts_with("~")) {
      EXPECT_TRUE(std::regex_match(r.out, std::regex(c.out.substr(1)))) << r.out;
    } else {
      EXPECT_EQ(r.out, c.out);
    }
    if (c.err.empty()) {
      EXPECT_EQ(r.err, "");
    } else {
      EXPECT_NE(r.err.find(c.err), std::string::npos) << r.err;
    }
    // A usage error and a failure leave every file as it was; so does a success, but for
    // the files it was asked to write.
    const auto after = files_of(run_dir);
    for (const auto& [name, bytes] : after) {
      if (std::find(c.changed.begin(), c.changed.end(), name) != c.changed.end()) continue;
      ASSERT_TRUE(before.count(name)) << name << " appeared";
      EXPECT_TRUE(before.at(name) == bytes) << name << " changed";
    }
    for (const auto& [name, bytes] : before) EXPECT_TRUE(after.count(name)) << name << " vanished";
  }
}

// Every command explains itself, and the overview names every command.
TEST_F(AgatdiskCommands, EveryCommandHasHelp) {
  const std::string overview = run_agatdisk({"--help"}, dir.path().string()).out;
  for (const char* name : {"list", "get", "put", "rm", "undelete", "lock", "unlock", "mkdir", "cd",
                           "new", "convert", "cmp"}) {
    SCOPED_TRACE(name);
    EXPECT_NE(overview.find(std::string("\n  ") + name + " "), std::string::npos);
    const Outcome r = run_agatdisk({name, "-h"}, dir.path().string());
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out.rfind(std::string("agatdisk ") + name + " ", 0), 0u) << r.out;
    EXPECT_GT(r.out.size(), 100u);
  }
}

}  // namespace
}  // namespace agat::testing
