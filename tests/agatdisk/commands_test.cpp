// agatdisk run as a process over a table of command lines: each runs in a fresh directory of
// images built through the core, and its exit status, its standard output, its messages and
// the files it leaves are checked.

#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <set>
#include <sstream>

#include "commands.h"
#include "harness.h"
#include "image_access.h"
#include "support/testdata.h"

namespace agat::testing {
namespace {

namespace fs = std::filesystem;

// The root catalog of disk.dsk, in catalog order: a sub-catalog with a file of its own, a
// deleted file, a Cyrillic name and one with a quote.
const std::string kListing =
    "Том:\n"
    " A   3 HELLO\n"
    " B   5 DATA\n"
    "*B   2 LOCKED\n"
    "     0 SUB [каталог]\n"
    " T   4 OLD [удалён]\n"
    " T   2 ПРИВЕТ\n"
    " I   2 A\"B\n"
    "Свободных секторов: 524\n";

// The listing of disk.dsk with each `from` replaced by its `to`.
std::string listing_with(std::initializer_list<std::pair<std::string, std::string>> edits) {
  std::string text = kListing;
  for (const auto& [from, to] : edits) text.replace(text.find(from), from.size(), to);
  return text;
}

class AgatdiskCommands : public CoreTest {
 protected:
  void SetUp() override {
    CoreTest::SetUp();
    auto md = image_medium(dir.host_path(), "disk.dsk", ITI140);
    const auto entry = [&md](const char* name) -> TCATREC& {
      FC_READCAT(*md);
      return *find_entry(*md, name);
    };
    FC_INITMEDIA(*md);
    save(*md, "HELLO", 0x02, pattern(300, 1));
    save(*md, "DATA", 0x04, pattern(1000, 2));
    save(*md, "LOCKED", 0x84, pattern(10, 3));
    FC_MAKEDIR(*md, agat_name("SUB"));
    FC_CHDIR(entry("SUB"));
    save(*md, "INNER", 0x00, pattern(50, 4));
    FC_CHDIR(entry("SUB"));  // its first entry leads back
    save(*md, "OLD", 0x00, pattern(700, 5));
    save(*md, "ПРИВЕТ", 0x00, pattern(20, 6));
    save(*md, "A\"B", 0x01, pattern(5, 7));
    FC_DELETE(entry("OLD"));
    // 537 data sectors and their 5 T/S lists take all 542 free sectors of a new image.
    auto full = image_medium(dir.host_path(), "full.dsk", ITI140);
    FC_INITMEDIA(*full);
    save(*full, "BIG", 0x04, pattern(537 * 256, 8));
    ASSERT_EQ(take_critical(), "");
    // Copies of disk.dsk, each with one fault.
    damaged("broken.dsk", (17 * 16 + 1) * 256, 256, 0xBD);  // the root catalog's only sector
    damaged("badvtoc.dsk", 17 * 16 * 256, 256, 0xBD);
    damaged("warn.dsk", (17 * 16 + 14) * 256, 256, 0xBD);  // HELLO's first data sector
    // OLD is the fifth entry of 17/1; the track that deletion kept in the last byte of its
    // name becomes 0, which leads to no T/S list.
    damaged("lost.dsk", (17 * 16 + 1) * 256 + 11 + 35 * 4 + 32, 1, 0);
    // Two texts that differ in their last line, unterminated, and two binaries whose common
    // part is equal.
    auto texts = image_medium(dir.host_path(), "texts.dsk", ITI140);
    FC_INITMEDIA(*texts);
    const auto text = [](std::string s) { return s = L2A(s), Bytes(s.begin(), s.end()); };
    save(*texts, "T1", 0x00, text("one\rtwo\rthree"));  // Windows-1251 CR is the Agat $8D
    save(*texts, "T2", 0x00, text("one\rtwo\rfour"));
    Bytes longer = pattern(256, 10);
    save(*texts, "B1", 0x04, longer);
    longer.resize(512, 1);
    save(*texts, "B2", 0x04, longer);
    damaged("oldvol.dsk", 17 * 16 * 256 + 8, {0x8D, 0xCF, 0xCC, 0xC4});  // "OLD" after a $8D
    // ... and sector 0/15 zeros, shaped like a T/S list: track 0 would end the catalog.
    damaged("zero.dsk", 15 * 256, Bytes(256, 0), "lost.dsk");
    damaged("offlink.dsk", (17 * 16 + 12) * 256 + 1, {40, 0});  // DATA's T/S list links off
    damaged("badsub.dsk", (17 * 16 + 5) * 256, 256, 0x77);      // SUB's first sector: garbage
    damaged("nodos.dsk", 17 * 16 * 256 + 52, 1, 0);             // a VTOC of no tracks
    // HELLO renamed with the codes $60-$7F of real disks, listed as lower-case Cyrillic; then
    // DATA renamed to the same text in the codes a typed name takes.
    const int names = (17 * 16 + 1) * 256 + 11 + 3;
    damaged(
        "mgr.dsk", names,
        {0xCD, 0xC7, 0xD2, 0xAE, 0xE6, 0x72, 0x67, 0xAE, 0xC1, 0xD0, 0xD0, 0xCC, 0xC5, 0xA0, 0xA0});
    const TAGATNAME typed = agat_name("MGR.Фрг.APPLE");
    damaged("twins.dsk", names + 35, Bytes(typed.begin(), typed.end()), "mgr.dsk");
    write_bytes(dir.file("small.txt"), pattern(100, 9));
    write_bytes(dir.file("notimage.bin"), Bytes(1000, 0));
    write_bytes(dir.file("short.fil"), Bytes(10, 0));
    const TAGATNAME ff = agat_name("FF");
    Bytes fil(ff.begin(), ff.end());
    fil.resize(39, 0);
    fil.push_back(0xFF);  // the type byte of a sub-catalog
    fil.resize(50, 0x11);
    write_bytes(dir.file("ff.fil"), fil);
  }

  // A copy of disk.dsk with `count` bytes from `offset` set to `value`, or with `bytes` there.
  void damaged(const std::string& name, int offset, int count, std::uint8_t value) {
    damaged(name, offset, Bytes(count, value));
  }
  void damaged(const std::string& name, int offset, const Bytes& bytes,
               const std::string& from = "disk.dsk") {
    Bytes image = file_bytes(dir.file(from));
    std::copy(bytes.begin(), bytes.end(), image.begin() + offset);
    write_bytes(dir.file(name), image);
  }

  TempDir dir;
};

struct Case {
  // A shell command line. Commands joined by "&&" stop at the first that fails; the status,
  // output and messages checked are those of the whole line.
  std::string line;
  int status;
  std::string out;           // the whole standard output, or after "regex:" a pattern for it
  std::string err = "";      // a part of the standard error; "" when it must be empty
  std::string changed = "";  // the files that may change or appear; images must stay sound
};

// The two title lines of the report on files `a` and `b` (names of two characters).
std::string diff_head(const std::string& a, const std::string& b) {
  const std::string pad(28, ' ');
  return "Сравнение файла " + a + pad + "\nс файлом        " + b + pad + "\n";
}

// The comparison of two 140 KB images `a` and `b`: the titles, `lines`, the summary.
std::string cmp_report(const std::string& a, const std::string& b, const std::string& lines,
                       int differing, int unreadable) {
  return "Сравнение образа ./" + a + "\nс образом        ./" + b + ":\n" + lines +
         "Сравнено секторов: 560, различаются: " + std::to_string(differing) +
         ", не читаются хотя бы в одном образе: " + std::to_string(unreadable) + "\n";
}

std::vector<Case> cases() {
  const std::string hello = loaded(pattern(300, 1));
  return {
      // Usage errors: exit 2, and nothing done. A name may have 30 characters, not 31.
      {"agatdisk", 2, "", "agatdisk: не задана команда\n"},
      {"agatdisk frob", 2, "", "неизвестная команда \"frob\""},
      {"agatdisk rm disk.dsk HELLO more", 2, "", "лишний аргумент \"more\""},
      {"agatdisk list disk.dsk --bogus", 2, "", "неизвестный ключ \"--bogus\""},
      {"agatdisk get disk.dsk HELLO -o", 2, "", "после ключа --output нужно ФАЙЛ"},
      {"agatdisk list --json=yes disk.dsk", 2, "", "не принимает значения"},
      {"agatdisk rm disk.dsk", 2, "",
       "не хватает аргументов\nagatdisk: вызов: agatdisk rm ОБРАЗ ИМЯ\n"},
      {"agatdisk put disk.dsk small.txt --type Q", 2, "", "неизвестный тип \"Q\""},
      {"agatdisk put disk.dsk small.txt --type 0xFF", 2, "", "неизвестный тип"},
      {"agatdisk mkdir disk.dsk " + std::string(30, 'N') + " && agatdisk mkdir disk.dsk " +
           std::string(31, 'N'),
       2, "", "должно быть от 1 до 30 знаков", "disk.dsk"},
      {"agatdisk get disk.dsk ''", 2, "", "должно быть от 1 до 30 знаков"},
      {"agatdisk get disk.dsk 日本", 2, "", "нет в кодировке Агата"},
      {"agatdisk new n.dsk", 2, "", "нужен ключ --form"},
      {"agatdisk new n.dsk --form aim800", 2, "", "неизвестная форма \"aim800\""},
      {"agatdisk new n.dsk --form aim", 2, "",
       "форма \"aim\" не может быть новым образом: новый образ может быть dsk140, nib140, "
       "dsk800, nib800, emu800, hfe, mfi800, woz или mfi140"},
      {"agatdisk convert disk.dsk n.dsk --form=dsk140t4", 2, "",
       "форма \"dsk140t4\" не может быть новым образом"},

      // Help, which wins over errors.
      {"agatdisk --help", 0,
       "regex:agatdisk — [\\s\\S]*\n  cmp ОБРАЗ1 ОБРАЗ2 \\[--bytes\\] +посекторное[\\s\\S]*3 — cmp "
       "или diff нашли различия, check — повреждения.\n"},
      {"agatdisk put --help --type Q", 0, "regex:agatdisk put ОБРАЗ ФАЙЛ [\\s\\S]*0x84[\\s\\S]*"},

      // Bad input: exit 1, the message, every file as it was.
      {"agatdisk cmp disk.dsk missing.dsk", 1, "",
       "agatdisk: файл образа \"missing.dsk\" не найден\n"},
      {"agatdisk list notimage.bin", 1, "", "1000 байт — не размер ни одной из форм образа и нет подписи"},
      {"agatdisk list .", 1, "", "\".\" — не файл"},
      {"agatdisk get disk.dsk NOPE", 1, "", "agatdisk: в каталоге нет файла \"NOPE\"\n"},
      {"agatdisk get disk.dsk -- -x", 1, "", "в каталоге нет файла \"-x\""},
      {"agatdisk lock disk.dsk SUB", 1, "", "в каталоге нет файла \"SUB\""},
      {"agatdisk cd disk.dsk HELLO", 1, "", "в каталоге нет BTK-каталога \"HELLO\""},
      {"agatdisk undelete disk.dsk HELLO", 1, "", "нет удалённого файла \"HELLO\""},
      {"agatdisk put disk.dsk small.txt --name LOCKED", 1, "", "запертый файл с этим именем не"},
      {"agatdisk put full.dsk small.txt", 1, "",
       "Выделение сектора: закончилось свободное пространство среды."},
      // A catalog read in part is listed as far as it was read.
      {"agatdisk list broken.dsk", 1, "Том:\nСвободных секторов: 524\n",
       "agatdisk: Чтение каталога среды: каталог: сектор 17/1 не читается"},
      {"agatdisk put broken.dsk small.txt", 1, "", "сектор 17/1 не читается"},
      {"agatdisk list badvtoc.dsk --json", 1, "",
       "Чтение каталога среды: VTOC: сектор 17/0 не читается"},
      {"agatdisk undelete lost.dsk OLD", 1, "",
       "\"OLD                           \": сохранённая в записи дорожка не ведёт к T/S-списку"},
      {"agatdisk undelete zero.dsk OLD", 1, "", "файл не восстановлен"},
      // Nothing is written through a VTOC that is not the DOS VTOC of the disk, and what it
      // leads to is not listed as a catalog: one message says so.
      {"for c in 'put nodos.dsk small.txt' 'rm nodos.dsk DATA' 'rm nodos.dsk SUB'"
       " 'lock nodos.dsk B' 'undelete nodos.dsk OLD' 'mkdir nodos.dsk N' 'cd nodos.dsk SUB';"
       " do agatdisk $c && exit; done; agatdisk list nodos.dsk",
       1, "",
       "(дорожек 0 вместо 35), образ не изменён\nagatdisk: на диске нет каталога DOS, который "
       "можно прочитать\n"},
      {"agatdisk check nodos.dsk", 4, "На диске нет каталога DOS, который можно прочитать.\n", ""},
      {"agatdisk check nodos.dsk --json", 4, "{\"dos_catalog\": false, \"damaged\": null}\n", ""},
      {"agatdisk cd badsub.dsk SUB", 1, "", "сектор 17/5 не похож на сектор каталога"},
      {"agatdisk list badsub.dsk --in SUB", 1, "", "сектор 17/5 не похож на сектор каталога"},
      {"agatdisk rm disk.dsk SUB", 1, "", "Удалять непустой каталог нельзя (\"SUB"},
      // The first entry of a sub-catalog leads back: it is never deleted. In the first entry of
      // the root (the first sub-catalog of a new image) nothing on the disk tells the two apart.
      {"agatdisk new t.dsk --form dsk140 && agatdisk mkdir t.dsk S && agatdisk cd t.dsk S && { "
       "agatdisk rm t.dsk S; agatdisk cd t.dsk S && agatdisk rm t.dsk S; agatdisk list t.dsk; }",
       0, "Том:\n     0 S [каталог]\nСвободных секторов: 540\n", "подкаталог это или выход",
       "t.dsk"},
      {"agatdisk new disk.dsk --form dsk140", 1, "", "Запись образа: такой файл уже существует"},
      {"agatdisk convert disk.dsk small.txt --form dsk140", 1, "", "такой файл уже существует"},
      {"agatdisk convert disk.dsk n.nib --form nib800", 1, "", "разная геометрия"},
      {"agatdisk new big.dsk --form dsk800 && agatdisk cmp disk.dsk big.dsk", 1, "",
       "невозможно сравнить диски с разной геометрией", "big.dsk"},
      {"agatdisk get disk.dsk HELLO -o small.txt", 1, "",
       "файл \"small.txt\" уже есть; --force заменит его"},
      {"agatdisk get disk.dsk LOCKED --fil && agatdisk get disk.dsk LOCKED --fil", 1, "",
       "\"LOCKED.FIL\" уже есть", "LOCKED.FIL"},
      {"agatdisk put disk.dsk nothere.txt", 1, "",
       "не удалось прочитать файл \"nothere.txt\": нет такого файла или каталога"},
      {"agatdisk get disk.dsk HELLO -o nodir/x", 1, "",
       "не удалось записать файл \"nodir/x\": нет такого файла или каталога"},
      {"agatdisk put disk.dsk short.fil --fil", 1, "",
       "Загрузка FIL-файла: ошибка чтения файла \"./short.fil\""},

      // Each command doing its work, seen in what follows it.
      // The deleted entry's chain starts on the track its last name byte keeps.
      {"agatdisk list disk.dsk --json", 0,
       "{\n  \"volume\": \"\",\n  \"free\": 524,\n  \"entries\": [\n" +
           json_head("HELLO", "A", 2, false, 3) +
           ", \"ts\": [17, 15], \"catalog\": [17, 1, 0]},\n" + json_head("DATA", "B", 4, false, 5) +
           ", \"ts\": [17, 12], \"catalog\": [17, 1, 1]},\n" +
           json_head("LOCKED", "B", 0x84, false, 2) +
           ", \"ts\": [17, 7], \"catalog\": [17, 1, 2]},\n" +
           json_head("SUB", "null", 0xFF, false, 0) +
           ", \"ts\": [17, 5], \"catalog\": [17, 1, 3]},\n" + json_head("OLD", "T", 0, true, 4) +
           ", \"ts\": [16, 15], \"catalog\": [17, 1, 4]},\n" +
           json_head("ПРИВЕТ", "T", 0, false, 2) +
           ", \"ts\": [16, 11], \"catalog\": [17, 1, 5]},\n" +
           json_head("A\\\"B", "I", 1, false, 2) + ", \"ts\": [16, 9], \"catalog\": [17, 1, 6]}\n" +
           "  ]\n}\n"},
      {"agatdisk get disk.dsk HELLO", 0, hello},
      // A name is found as it is listed; when it stands for entries of different names, for none.
      {"agatdisk list mgr.dsk && agatdisk get mgr.dsk MGR.Фрг.APPLE", 0,
       listing_with({{" A   3 HELLO", " A   3 MGR.Фрг.APPLE"}}) + hello},
      {"agatdisk get twins.dsk MGR.Фрг.APPLE", 1, "", "подходит к записям с разными именами"},
      // put --name with a name as listed replaces that entry in its place: no twin appears.
      {"agatdisk put mgr.dsk small.txt --name MGR.Фрг.APPLE && agatdisk list mgr.dsk", 0,
       listing_with({{" A   3 HELLO", " B   2 MGR.Фрг.APPLE"}, {"524", "525"}}), "", "mgr.dsk"},
      {"agatdisk put twins.dsk small.txt --name MGR.Фрг.APPLE", 1, "",
       "подходит к записям с разными именами"},
      // A header type $FF is a sub-catalog's mark: refused, unless --type gives another.
      {"agatdisk put disk.dsk ff.fil --fil", 1, "", "байт типа $FF означает BTK-каталог"},
      {"agatdisk put disk.dsk ff.fil --fil --type T && agatdisk list disk.dsk", 0,
       listing_with({{" T   4 OLD [удалён]", " T   2 FF"}, {"524", "522"}}), "", "disk.dsk"},
      // A list that links off the disk is damage.
      {"agatdisk check offlink.dsk; echo $?", 0,
       "regex:[\\s\\S]*17/12: ссылка за пределы образа: 40/0\n[\\s\\S]*Найдены повреждения.\n3\n"},
      // A damaged T/S chain met while deleting is a warning: the deletion and a put over the
      // file go through, as far as the chain leads.
      {"agatdisk rm offlink.dsk DATA && agatdisk list offlink.dsk", 0,
       listing_with({{" B   5 DATA", " B   5 DATA [удалён]"}, {"524", "529"}}),
       "предупреждение: Удаление файла: t/s список", "offlink.dsk"},
      {"agatdisk put offlink.dsk small.txt --name DATA && agatdisk get offlink.dsk DATA", 0,
       loaded(pattern(100, 9)), "предупреждение: Удаление файла: t/s", "offlink.dsk"},
      {"agatdisk list oldvol.dsk", 0, listing_with({{"Том:", "Том: OLD"}})},
      // Several images: each listing headed as head heads files, those that fail named in their
      // messages and left out; in JSON one line each, the image first.
      {"agatdisk list missing.dsk disk.dsk broken.dsk oldvol.dsk", 1,
       "==> disk.dsk <==\n" + kListing +
           "\n==> broken.dsk <==\nТом:\nСвободных секторов: 524\n\n==> oldvol.dsk <==\n" +
           listing_with({{"Том:", "Том: OLD"}}),
       "agatdisk: broken.dsk: Чтение каталога среды: каталог: сектор 17/1 не читается"},
      {"agatdisk list disk.dsk oldvol.dsk --json --in SUB", 0,
       "regex:\\{\"image\": \"disk.dsk\", \"volume\": \"\", \"free\": 524, \"entries\": "
       "\\[\\{\"name\": \"SUB\"[^\n]*\"name\": \"INNER\"[^\n]*\\}\\]\\}\n"
       "\\{\"image\": \"oldvol.dsk\", \"volume\": \"OLD\", [^\n]*\\}\\]\\}\n"},
      // A deleted file reads well while its sectors are not reused; a live one of its name (here
      // put into HELLO's freed entry) comes first.
      {"agatdisk get disk.dsk OLD", 0, loaded(pattern(700, 5))},
      {"agatdisk rm disk.dsk DATA && agatdisk rm disk.dsk HELLO &&"
       " agatdisk put disk.dsk small.txt --name DATA && agatdisk get disk.dsk DATA",
       0, loaded(pattern(100, 9)), "", "disk.dsk"},
      {"agatdisk get warn.dsk HELLO", 0, std::string(256, '\xBD') + hello.substr(256),
       "agatdisk: предупреждение: Загрузка файла: данные: сектор "},
      {"agatdisk get disk.dsk HELLO -o small.txt --force && agatdisk put disk.dsk small.txt --name "
       "COPY && agatdisk get disk.dsk COPY",
       0, hello, "", "disk.dsk small.txt"},
      {"agatdisk put disk.dsk small.txt && agatdisk list disk.dsk", 0,
       listing_with({{" T   4 OLD [удалён]", " B   2 small.txt"}, {"524", "522"}}), "", "disk.dsk"},
      // A .FIL file carries name, type and lock; --name and --type win over them.
      {"agatdisk get disk.dsk LOCKED --fil && agatdisk rm disk.dsk LOCKED && agatdisk put disk.dsk "
       "LOCKED.FIL --fil && agatdisk list disk.dsk",
       0, kListing, "", "disk.dsk LOCKED.FIL"},
      {"agatdisk get disk.dsk LOCKED --fil && agatdisk put disk.dsk LOCKED.FIL --fil --name COPY "
       "&& agatdisk list disk.dsk",
       0, listing_with({{" T   4 OLD [удалён]", "*B   2 COPY"}, {"524", "522"}}), "",
       "disk.dsk LOCKED.FIL"},
      {"agatdisk get disk.dsk HELLO --fil && agatdisk put disk.dsk HELLO.FIL --fil --type S && "
       "agatdisk list disk.dsk",
       0, listing_with({{" A   3 HELLO", " S   3 HELLO"}}), "", "disk.dsk HELLO.FIL"},
      {"agatdisk lock disk.dsk DATA && agatdisk unlock disk.dsk LOCKED && agatdisk list disk.dsk",
       0, listing_with({{" B   5 DATA", "*B   5 DATA"}, {"*B   2 LOCKED", " B   2 LOCKED"}}), "",
       "disk.dsk"},
      // A lock guards nothing against rm; undelete brings back the whole name, lock and sectors.
      {"agatdisk rm disk.dsk LOCKED && agatdisk list disk.dsk", 0,
       listing_with({{"*B   2 LOCKED", "*B   2 LOCKED [удалён]"}, {"524", "526"}}), "", "disk.dsk"},
      {"agatdisk rm disk.dsk LOCKED && agatdisk undelete disk.dsk LOCKED && agatdisk list disk.dsk",
       0, kListing, "", "disk.dsk"},
      // cd enters a sub-catalog; cd to its first entry, which bears its name, comes back.
      // --in reads inside a sub-catalog without entering it in the image.
      {"agatdisk list disk.dsk --in SUB && agatdisk get disk.dsk --in=SUB INNER", 0,
       "Том:\n     0 SUB [каталог]\n T   2 INNER\nСвободных секторов: 524\n" +
           loaded(pattern(50, 4))},
      {"agatdisk cd disk.dsk SUB && agatdisk list disk.dsk", 0,
       "Том:\n     0 SUB [каталог]\n T   2 INNER\nСвободных секторов: 524\n", "", "disk.dsk"},
      {"agatdisk cd disk.dsk SUB && agatdisk cd disk.dsk SUB && agatdisk list disk.dsk", 0,
       kListing, "", "disk.dsk"},
      {"agatdisk mkdir disk.dsk GAMES && agatdisk cd disk.dsk GAMES && agatdisk put disk.dsk "
       "small.txt && agatdisk list disk.dsk",
       0, "Том:\n     0 GAMES [каталог]\n B   2 small.txt\nСвободных секторов: 520\n", "",
       "disk.dsk"},
      {"agatdisk mkdir disk.dsk GAMES && agatdisk rm disk.dsk GAMES && agatdisk list disk.dsk", 0,
       listing_with({{" T   4 OLD [удалён]", "     0 GAMES [каталог] [удалён]"}}), "", "disk.dsk"},
      {"agatdisk new n.nib --form=nib140 && agatdisk list n.nib", 0,
       "Том:\nСвободных секторов: 542\n", "", "n.nib"},
      {"agatdisk new n.dsk --form dsk800 && agatdisk list n.dsk", 0,
       "Том:\nСвободных секторов: 3335\n", "", "n.dsk"},
      // The comparison report: a line for each sector that differs or that one image cannot
      // read, and exit 3 when there is one.
      {"agatdisk cmp disk.dsk disk.dsk", 0,
       cmp_report("disk.dsk", "disk.dsk", "Отличий между образами не найдено\n", 0, 0)},
      {"agatdisk cmp broken.dsk disk.dsk", 3,
       cmp_report("broken.dsk", "disk.dsk", " 17/ 1- ошибка чтения образа broken.dsk\n", 0, 1)},
      // The file comparison: exit 3 when the files differ, in their last lines or only in size.
      {"agatdisk diff texts.dsk T1 texts.dsk T1", 0,
       diff_head("T1", "T1") + "(построчное сравнение)\nОтличий не найдено.\n"},
      {"agatdisk diff texts.dsk T1 texts.dsk T2", 3,
       diff_head("T1", "T2") +
           "(построчное сравнение)\ntwo\nСинхронизовать не удалось\n<< three\n>> four\n"},
      {"agatdisk diff texts.dsk T1 texts.dsk T2 --format asis", 3,
       diff_head("T1", "T2") + "(побайтное сравнение)\n000008 000009 00000A 00000B 00000C \n"},
      {"agatdisk diff texts.dsk B2 texts.dsk B1", 3,
       diff_head("B2", "B1") + "Файл под курсором ($000200) больше противоположного "
                               "($000100).\n(побайтное сравнение)\n"},
      {"agatdisk diff texts.dsk NOPE disk.dsk HELLO", 1, "",
       "agatdisk: в каталоге образа \"texts.dsk\" нет файла \"NOPE\"\n"},
      {"agatdisk diff texts.dsk T1 texts.dsk T2 --format tekst", 2, "",
       "неизвестный формат \"tekst\""},
      {"agatdisk convert disk.dsk copy.dsk --form dsk140 && agatdisk lock copy.dsk HELLO && "
       "agatdisk unlock copy.dsk LOCKED && agatdisk cmp disk.dsk copy.dsk",
       3, cmp_report("disk.dsk", "copy.dsk", " 17/ 1- отличий: 2\n", 1, 0), "", "copy.dsk"},
  };
}

TEST_F(AgatdiskCommands, TableOfCommandLines) {
  for (const Case& c : cases()) {
    SCOPED_TRACE(c.line);
    TempDir run_dir;
    for (const auto& e : fs::directory_iterator(dir.path()))
      fs::copy_file(e.path(), run_dir.path() / e.path().filename());
    const Outcome r = run_line(c.line, run_dir.path().string());
    EXPECT_EQ(r.status, c.status) << r.err;
    if (c.out.starts_with("regex:")) {
      EXPECT_TRUE(std::regex_match(r.out, std::regex(c.out.substr(6)))) << r.out;
    } else {
      EXPECT_EQ(r.out, c.out);
    }
    EXPECT_TRUE(c.err.empty() ? r.err.empty() : r.err.find(c.err) != std::string::npos) << r.err;
    // Every file is as it was, but for those the commands were asked to write.
    for (const auto& e : fs::directory_iterator(run_dir.path())) {
      const std::string name = e.path().filename();
      if (e.path().extension() == ".lock") continue;  // a writer's lock, kept by design
      if ((" " + c.changed + " ").find(" " + name + " ") == std::string::npos) {
        ASSERT_TRUE(fs::exists(dir.file(name))) << name << " appeared";
        EXPECT_TRUE(file_bytes(dir.file(name)) == file_bytes(e.path())) << name << " changed";
      } else if (name.ends_with(".dsk") || name.ends_with(".nib")) {
        expect_sound(e.path());
      }
    }
    for (const auto& e : fs::directory_iterator(dir.path()))
      EXPECT_TRUE(fs::exists(run_dir.path() / e.path().filename())) << e.path() << " vanished";
  }
}

// Every name a listing prints, typed back, finds an entry of that very name (but names with a
// stand-in for a code that has no character): on the images here and those of independent tools.
TEST_F(AgatdiskCommands, EveryListedNameFindsItsEntry) {
  std::vector<fs::path> images;
  for (const auto& e : fs::directory_iterator(dir.path()))
    if (e.path().extension() == ".dsk" && e.path().filename() != "twins.dsk") images.push_back(e);
  for (const char* folder : {"dos33", "nib", "other"})
    if (have_testdata())
      for (const auto& f : fs::directory_iterator(testdata(folder))) images.push_back(f);
  const std::regex entry(
      "\\{\"name\": \"((?:[^\"\\\\]|\\\\.)*)\".*\"deleted\": (\\w+).*\"kind\": "
      "\"(\\w+)\".*\"catalog\": \\[(\\d+), (\\d+), (\\d+)\\]\\}");
  int found = 0;
  for (const fs::path& image : images) {
    const std::string list = run_agatdisk({"list", image, "--json"}, dir.path()).out;
    TIMAGET type{};
    image_type_of_size(fs::file_size(image), type);
    auto md = image_medium(image.parent_path().string() + "/", image.filename(), type);
    FC_READCAT(*md);
    take_critical();
    std::map<std::tuple<int, int, int>, std::string> listed;
    for (std::sregex_iterator m(list.begin(), list.end(), entry), end; m != end; ++m)
      listed[{std::stoi((*m)[4]), std::stoi((*m)[5]), std::stoi((*m)[6])}] =
          (*m)[1].str().find("\\u") == std::string::npos &&
                  ((*m)[3] == "file" || (*m)[2] == "false")
              ? std::regex_replace((*m)[1].str(), std::regex("\\\\(.)"), "$1")
              : "";  // no command takes a deleted sub-catalog
    for (const auto& [place, name] : listed) {
      TypedName typed;
      std::string error;
      bool ambiguous = false;
      if (name.empty() || name.find("\uFFFD") != std::string::npos) continue;
      ASSERT_TRUE(typed_agat_name(name, typed, error)) << image << ": " << name;
      TCATREC* e = find_file_to_read(*md, typed, ambiguous);
      if (e == nullptr) e = find_named(*md, typed, EntryKind::btk, false, ambiguous);
      ASSERT_NE(e, nullptr) << image << ": " << name;
      EXPECT_EQ(listed.at({e->TCAT, e->SCAT, e->OCAT}), name);
      ++found;
    }
  }
  EXPECT_GE(found, have_testdata() ? 180 : 50);
}

// The operands a synopsis asks for: the upper-case words outside brackets are required,
// those in brackets optional, "..." after one lets it repeat; and the options it shows, by
// the name or the alias a user types, each with the placeholder of its value ("" for a flag).
struct SynopsisShape {
  std::size_t required = 0;
  std::size_t optional = 0;
  bool repeats = false;
  std::map<std::string, std::string> options;
};

SynopsisShape shape_of(std::string_view synopsis) {
  SynopsisShape shape;
  std::istringstream words{std::string(synopsis)};
  std::string word, option;
  words >> word;  // the command's name
  while (words >> word) {
    const bool opens = word.starts_with("["), closes = word.ends_with("]");
    const std::string bare = word.substr(opens, word.size() - opens - closes);
    if (!option.empty()) {
      shape.options[option] = bare;  // the option's value
      option.clear();
    } else if (bare.starts_with("-")) {
      shape.options[bare] = "";
      if (!closes) option = bare;  // "--form ФОРМА", "[--in КАТАЛОГ]"
    } else {
      ++(opens ? shape.optional : shape.required);
      shape.repeats = shape.repeats || bare.ends_with("...");
    }
  }
  return shape;
}

// Every command of the table explains itself, in the overview and with -h, under the synopsis
// that the table gives it; the synopsis agrees with the operands and options the command
// takes, a short call quotes it, and the README's table of commands has a row for each.
TEST_F(AgatdiskCommands, EveryCommandOfTheTableHasItsHelp) {
  const std::string overview = run_agatdisk({"--help"}, dir.path().string()).out;
  std::set<std::string> names;
  for (const Command& c : command_table()) {
    const std::string name(c.name), synopsis = cp1251_to_utf8(c.synopsis);
    SCOPED_TRACE(name);
    EXPECT_TRUE(names.insert(name).second) << "listed twice";
    EXPECT_TRUE(synopsis.starts_with(name + " ")) << synopsis;
    const std::size_t row = overview.find("\n  " + synopsis);
    ASSERT_NE(row, std::string::npos);
    EXPECT_NE(std::string_view(" \n").find(overview.at(row + 3 + synopsis.size())),
              std::string::npos);

    const SynopsisShape shape = shape_of(c.synopsis);
    EXPECT_EQ(shape.required, c.min_operands) << synopsis;
    const std::size_t most = shape.repeats ? SIZE_MAX : shape.required + shape.optional;
    EXPECT_EQ(c.max_operands, most) << synopsis;
    std::map<std::string, std::string> options;
    for (const Option& o : c.options)
      options[std::string(shape.options.count(std::string(o.alias)) ? o.alias : o.name)] = o.value;
    EXPECT_EQ(shape.options, options) << synopsis;

    const Outcome help = run_agatdisk({name, "-h"}, dir.path().string());
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(help.out.starts_with("agatdisk " + synopsis + "\n\n")) << help.out;
    EXPECT_GT(help.out.size(), 100u);
    if (c.min_operands > 0) {
      const Outcome bare = run_agatdisk({name}, dir.path().string());
      EXPECT_EQ(bare.status, 2);
      EXPECT_TRUE(contains(bare.err, "вызов: agatdisk " + synopsis + "\n"));
    }
  }
  EXPECT_GE(names.size(), 20u);

  // The README's table of commands: a row for every command and for nothing else.
  std::ifstream readme(AGAT_README);
  std::set<std::string> rows;
  bool in_table = false;
  for (std::string line; std::getline(readme, line);) {
    if (line == "| Command | What it does |")
      in_table = true;
    else if (in_table && !line.starts_with("|"))
      break;
    else if (in_table)
      for (const std::string& cell : {line.substr(0, line.find(" | "))})
        for (std::size_t at = cell.find('`'); at != std::string::npos;
             at = cell.find('`', cell.find('`', at + 1) + 1))
          rows.insert(cell.substr(at + 1, cell.find_first_of(" `", at + 1) - at - 1));
  }
  EXPECT_EQ(rows, names);
}

}  // namespace
}  // namespace agat::testing
