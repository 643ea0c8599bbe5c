// The commands on the catalog of an image: list, get, put, rm, undelete, lock, unlock,
// mkdir and cd.
#include <algorithm>
#include <cstdio>
#include <limits>
#include <memory>
#include <vector>

#include "command_support.h"
#include "commands.h"
#include "core/char_sets.h"
#include "core/cp1251.h"
#include "core/cp1251_literal.h"
#include "core/file_control.h"
#include "core/host_errors.h"
#include "core/host_file_io.h"
#include "core/host_names.h"
#include "core/image_form.h"
#include "core/vtoc_soundness.h"
#include "image_access.h"
#include "terminal.h"

namespace agat {

namespace {

std::string text_listing(const TMEDIA& md) {
  const std::string volume = visible(volume_name(md));
  std::string text = std::string("Том:"_w) + (volume.empty() ? "" : " " + volume) + "\n";
  if (form_has_description(md.IMAGET)) {
    const std::string description = visible(md.DESCRIPTION);
    text += std::string("Описание:"_w) + (description.empty() ? "" : " " + description) + "\n";
  }
  for (std::int32_t i = 0; i < md.CAT.CATNUM; ++i) {
    const TCATREC& e = md.CAT.CATREC[i];
    if (!is_listed(e)) continue;
    const bool btk = e.CATRECT == CRTBTKDIR;
    char head[16];
    std::snprintf(head, sizeof head, "%c%c %3d ", !btk && (e.EXT & 0x80) ? '*' : ' ',
                  btk ? ' ' : FC_FTYPE(e.EXT), static_cast<int>(e.SIZECAT));
    text += head + visible(entry_name(e));
    if (btk) text += " [каталог]"_w;
    if (is_deleted(e)) text += " [удалён]"_w;
    if (e.HID & 0x80) text += " [скрыт]"_w;
    text += "\n";
  }
  return text + std::string("Свободных секторов: "_w) + std::to_string(md.FREESPACE) + "\n";
}

// The listing as one JSON object laid out over lines; with `one_line`, its fields on one
// line and the closing brace, after an opening that the caller writes (JSON Lines).
std::string json_listing(const TMEDIA& md, bool one_line) {
  auto flag = [](bool b) { return std::string(b ? "true" : "false"); };
  const std::string next = one_line ? ", " : ",\n  ";
  std::string text = one_line ? "" : "{\n  ";
  text += "\"volume\": " + json_string(volume_name(md));
  if (form_has_description(md.IMAGET))
    text += next + "\"description\": " + json_string(md.DESCRIPTION);
  text += next + "\"free\": " + std::to_string(md.FREESPACE) + next + "\"entries\": [";
  bool first = true;
  for (std::int32_t i = 0; i < md.CAT.CATNUM; ++i) {
    const TCATREC& e = md.CAT.CATREC[i];
    if (!is_listed(e)) continue;
    const bool btk = e.CATRECT == CRTBTKDIR;
    const bool deleted = is_deleted(e);
    // A deleted entry's chain starts at the track that deletion kept in its last name byte.
    const int ts_track = deleted ? e.AGATNAME[29] : e.TTSL;
    text += one_line ? (first ? "" : ", ") : (first ? "\n    " : ",\n    ");
    first = false;
    const std::string type = btk ? "null" : json_string(std::string(1, FC_FTYPE(e.EXT)));
    text += "{\"name\": " + json_string(entry_name(e));
    text += ", \"type\": " + type;
    text += ", \"ext\": " + std::to_string(e.EXT);
    text += ", \"locked\": " + flag(!btk && (e.EXT & 0x80));
    text += ", \"deleted\": " + flag(deleted);
    text += ", \"hidden\": " + flag(e.HID & 0x80);
    text += ", \"sectors\": " + std::to_string(e.SIZECAT);
    text += ", \"kind\": " + std::string(btk ? "\"btk\"" : "\"file\"");
    text += ", \"ts\": [" + std::to_string(ts_track) + ", " + std::to_string(e.STSL) + "]";
    text += ", \"catalog\": [" + std::to_string(e.TCAT) + ", " + std::to_string(e.SCAT) + ", " +
            std::to_string(e.OCAT) + "]}";
  }
  if (one_line) return text + "]}\n";
  return text + (first ? "]\n}\n" : "\n  ]\n}\n");
}

// ---------------------------------------------------------------------------
// The commands

// One image of `list`: false when it could not be listed (whole). With `several`, the
// listing is headed by the image's path (`headed` tells whether one was before it), and
// JSON takes one line.
bool list_image(TMEDIA& md, const std::string& path, const ParsedArgs& args, bool several,
                bool& headed) {
  TIMAGET type;
  if (!image_form_of_file(path, type)) return false;
  point_at_image(md, path, type);
  FC_READCAT(md);
  // What a VTOC of no DOS leads to is no catalog: one message instead of garbage entries.
  if (!md.VTOCINVALID && !vtoc_is_sound(md)) {
    FC_CRITICALERRORBUFFER.clear();  // what the walk of that garbage met
    FC_WARNINGBUFFER.clear();
    print_error("на диске нет каталога DOS, который можно прочитать"_w);
    return false;
  }
  if (args.has("--in") && (core_failed() || !enter_in(md, args))) return false;
  // A catalog that the core could read only in part is shown as far as it was read.
  if (!md.VTOCINVALID) {
    if (args.has("--json")) {
      // The path keeps the host's bytes: json_string escapes only quotes and control codes.
      if (several) print_host("{\"image\": " + json_string(path) + ", ");
      print(json_listing(md, several));
    } else {
      // As head heads the files it shows: a blank line between listings.
      if (several) print_host((headed ? "\n==> " : "==> ") + path + " <==\n");
      headed = several;
      print(text_listing(md));
    }
  }
  return !core_failed();
}

int run_list(const ParsedArgs& args) {
  const std::vector<std::string>& images = args.operands;
  const bool several = images.size() > 1;
  // One medium serves every image in turn: its sector array is taken once.
  auto md = std::make_unique<TMEDIA>();
  bool all_listed = true, headed = false;
  for (const std::string& image : images) {
    set_message_subject(several ? image : "");
    all_listed = list_image(*md, image, args, several, headed) && all_listed;
  }
  set_message_subject("");
  return all_listed ? EXIT_DONE : EXIT_FAILED;
}

int run_get(const ParsedArgs& args) {
  typed_name(args.operands[1]);  // a bad name is a usage error, before the image is read
  auto md = open_image(args.operands[0]);
  if (md == nullptr || !enter_in(*md, args) || core_failed()) return EXIT_FAILED;
  auto buf = std::make_unique<TFILEBUF>();
  TCATREC* e = load_named_file(*md, args.operands[1], *buf);
  if (e == nullptr) return EXIT_FAILED;

  if (args.has("--fil")) {
    if (is_deleted(*e)) e->AGATNAME[29] = AGAT_SPACE;  // the track number is no part of the name
    const std::string out =
        args.value("--output", AGAT2HOSTFNAME(e->AGATNAME) + std::string(FC_FIL_EXT));
    if (refuse_existing(out, args)) return EXIT_FAILED;
    auto host = host_medium_for(out, e->HOSTNAME);
    FC_SAVE(*e, *buf, *host, false);
    return core_failed() ? EXIT_FAILED : EXIT_DONE;
  }
  if (!args.has("--output")) {
    const auto size = static_cast<std::size_t>(e->SIZE);
    if (std::fwrite(buf->data(), 1, size, stdout) != size || std::fflush(stdout) != 0) {
      print_error("ошибка записи в стандартный вывод"_w);
      return EXIT_FAILED;
    }
    return EXIT_DONE;
  }
  const std::string& out = args.value("--output", "");
  if (refuse_existing(out, args)) return EXIT_FAILED;
  return write_host_file(out, buf->data(), static_cast<std::size_t>(e->SIZE)) ? EXIT_DONE
                                                                               : EXIT_FAILED;
}

int run_put(const ParsedArgs& args) {
  const std::string& source = args.operands[1];
  TAGATNAME name{};
  if (args.has("--name")) name = typed_name(args.value("--name", "")).agat;
  const std::uint8_t ext = args.has("--type") ? type_byte(args.value("--type", "")) : 0x04;
  auto md = open_image(args.operands[0]);
  if (md == nullptr) return EXIT_FAILED;

  auto buf = std::make_unique<TFILEBUF>();  // zeros: they fill the last sector
  TCATREC cr;
  cr.CATRECT = CRTAGATFILE;
  std::unique_ptr<TMEDIA> host;
  if (args.has("--fil")) {
    // The header gives name, type and T/S data; until it is read, a message names the
    // file by its host name.
    host = host_medium_for(source, cr.HOSTNAME);
    cr.PMEDIA = host.get();
    cr.AGATNAME = HOST2AGATFNAME(cr.HOSTNAME);
    FC_LOAD(cr, *buf);
    if (core_failed()) return EXIT_FAILED;
  } else {
    std::vector<std::uint8_t> data;
    int error = 0;
    if (read_file(source, data, &error) != FileIoResult::ok) {
      print_error(std::string("не удалось прочитать файл "_w) + quoted_host(source) + ": " +
                  host_read_error_text(error));
      return EXIT_FAILED;
    }
    if (data.size() > static_cast<std::size_t>(MAXFILESIZE)) {
      print_error(std::string("файл "_w) + quoted_host(source) + std::string(" слишком велик: "_w) +
                  std::to_string(data.size()) + std::string(" байт, а файл Агата не больше "_w) +
                  std::to_string(MAXFILESIZE));
      return EXIT_FAILED;
    }
    std::copy(data.begin(), data.end(), buf->begin());
    std::string directory, base;
    split_host_path(source, directory, base);
    cr.AGATNAME = HOST2AGATFNAME(base);
    cr.EXT = ext;
    cr.SIZE = static_cast<std::int32_t>(data.size());
  }
  if (args.has("--name")) {
    // A name as the listing shows it stands for that entry's bytes, so that the file
    // replaces the entry the user sees instead of joining it as a twin under other bytes.
    bool ambiguous = false;
    const std::string& typed = args.value("--name", "");
    const TCATREC* listed = find_named(*md, typed_name(typed), EntryKind::any, false, ambiguous);
    if (ambiguous) {
      not_found(typed, {}, true);
      return EXIT_FAILED;
    }
    cr.AGATNAME = listed != nullptr ? listed->AGATNAME : name;
  }
  if (args.has("--type")) cr.EXT = ext;
  FC_SAVE(cr, *buf, *md, false);
  return core_failed() ? EXIT_FAILED : EXIT_DONE;
}

int run_rm(const ParsedArgs& args) {
  typed_name(args.operands[1]);  // a bad name is a usage error, before the image is read
  auto md = open_image(args.operands[0]);
  if (md == nullptr) return EXIT_FAILED;
  TCATREC* e = named_entry(*md, args.operands[1], EntryKind::any, false,
                           "в каталоге нет файла или BTK-каталога "_w);
  if (e == nullptr) return EXIT_FAILED;
  FC_DELETE(*e);
  return core_failed() ? EXIT_FAILED : EXIT_DONE;
}

// The Agat code that the listing shows as this Windows-1251 character (A2L is one-to-one).
std::uint8_t agat_code_of(char cp1251) {
  for (int code = 0; code < 256; ++code)
    if (A2L(static_cast<char>(code)) == cp1251) return static_cast<std::uint8_t>(code);
  return AGAT_SPACE;
}

int run_undelete(const ParsedArgs& args) {
  const TypedName name = typed_name(args.operands[1]);
  auto md = open_image(args.operands[0]);
  if (md == nullptr) return EXIT_FAILED;
  TCATREC* e = named_entry(*md, args.operands[1], EntryKind::file, true,
                           "в каталоге нет удалённого файла "_w);
  if (e == nullptr) return EXIT_FAILED;
  // The file takes back the whole name it was asked for by, in the one save of the
  // undeletion: the character that deletion overwrote comes from it, in the codes the
  // name matched the entry in.
  std::uint8_t last = name.agat[29];
  if (!std::equal(name.agat.begin(), name.agat.end() - 1, e->AGATNAME.begin()))
    last = name.shown.size() < 30 ? AGAT_SPACE : agat_code_of(name.shown[29]);
  FC_UNDELETE(*e, last);
  return core_failed() ? EXIT_FAILED : EXIT_DONE;
}

int relock(const ParsedArgs& args, std::int8_t mode) {
  typed_name(args.operands[1]);  // a bad name is a usage error, before the image is read
  auto md = open_image(args.operands[0]);
  if (md == nullptr) return EXIT_FAILED;
  TCATREC* e =
      named_entry(*md, args.operands[1], EntryKind::file, false, "в каталоге нет файла "_w);
  if (e == nullptr) return EXIT_FAILED;
  FC_RELOCK(*e, mode);
  return core_failed() ? EXIT_FAILED : EXIT_DONE;
}

int run_lock(const ParsedArgs& args) {
  return relock(args, 1);
}
int run_unlock(const ParsedArgs& args) {
  return relock(args, -1);
}

int run_mkdir(const ParsedArgs& args) {
  const TAGATNAME name = typed_name(args.operands[1]).agat;
  auto md = open_image(args.operands[0]);
  if (md == nullptr) return EXIT_FAILED;
  FC_MAKEDIR(*md, name);
  return core_failed() ? EXIT_FAILED : EXIT_DONE;
}

int run_cd(const ParsedArgs& args) {
  typed_name(args.operands[1]);  // a bad name is a usage error, before the image is read
  auto md = open_image(args.operands[0]);
  if (md == nullptr) return EXIT_FAILED;
  TCATREC* e =
      named_entry(*md, args.operands[1], EntryKind::btk, false, "в каталоге нет BTK-каталога "_w);
  if (e == nullptr) return EXIT_FAILED;
  FC_CHDIR(*e);
  return core_failed() ? EXIT_FAILED : EXIT_DONE;
}

}  // namespace

std::vector<Command> catalog_commands() {
  return {
      {"list",
       "list ОБРАЗ... [--json] [--in КАТАЛОГ]"_w,
       "текущий каталог образа (или нескольких)"_w,
       {"Показывает текущий каталог образа (корневой или BTK-каталог, в который вошли "
        "командой cd) в порядке каталога: замок (*), букву типа, размер в секторах по "
        "каталогу и имя; BTK-каталоги помечены [каталог], удалённые файлы [удалён], "
        "скрытые [скрыт]. Первая строка — имя тома, последняя — число свободных секторов."_w,
        "С ключом --json печатает один объект JSON: volume (имя тома), free (свободные "
        "секторы) и entries — записи каталога, у каждой name, type (буква типа; null у "
        "BTK-каталога), ext (байт типа), locked, deleted, hidden, sectors, kind (\"file\" "
        "или \"btk\"), ts ([дорожка, сектор] первого T/S-списка или первого сектора "
        "BTK-каталога; у удалённого файла — дорожка, сохранённая в последнем байте имени) "
        "и catalog ([дорожка, сектор, номер] места записи в каталоге)."_w,
        "У удалённого файла показаны 29 знаков имени: в тридцатом удаление сохранило "
        "номер дорожки. Если каталог прочитан не целиком, показано прочитанное, а выход — 1. "
        "Если VTOC образа описывает не этот диск (на нём нет DOS), печатается только "
        "сообщение «на диске нет каталога DOS, который можно прочитать», выход — 1."_w,
        "У образа emu800 за строкой тома идёт строка «Описание:» с описанием из заголовка "
        "образа, а в JSON после volume — поле description."_w,
        "С ключом --in КАТАЛОГ показывает BTK-каталог КАТАЛОГ текущего каталога, не входя в "
        "него: образ не меняется, так что это работает и с образом, который нельзя записать."_w,
        "Образов может быть несколько: тогда перед каталогом каждого идёт строка ==> ОБРАЗ <== "
        "(между каталогами — пустая строка, как у head), а с --json каждый образ — один объект "
        "JSON в одной строке (JSON Lines) с полем image, путём к образу, первым. Сообщения об "
        "образе начинаются с его пути. Образ, который не удалось показать, не мешает "
        "остальным; выход тогда — 1."_w},
       {{"--json", {}, {}}, kIn},
       1,
       std::numeric_limits<std::size_t>::max(),
       run_list},
      {"get",
       "get ОБРАЗ ИМЯ [-o ФАЙЛ] [--fil] [--force] [--in КАТАЛОГ]"_w,
       "файл из образа"_w,
       {"Читает файл ИМЯ из текущего каталога образа так, как его читает ядро: целыми "
        "секторами, по цепочке T/S-списков. Без -o данные идут в стандартный вывод как "
        "есть, с -o ФАЙЛ — в этот файл. Если живого файла с таким именем нет, читается "
        "удалённый (имя сравнивается по 29 знакам), пока его секторы не заняты другими."_w,
        "С ключом --fil пишется FIL-файл: 40 байт заголовка (имя, данные T/S-списка, байт "
        "типа) и данные. Без -o он называется по имени файла Агата с расширением .FIL и "
        "ложится в текущий каталог."_w,
        "Существующий файл не заменяется без ключа --force (-f); заменённый файл "
        "пишется целиком заново, а потом подменяет старый."_w,
        "С ключом --in КАТАЛОГ файл читается из BTK-каталога КАТАЛОГ текущего каталога, без "
        "входа в него (образ не меняется)."_w},
       {{"--output", "-o", "ФАЙЛ"_w}, {"--fil", {}, {}}, kForce, kIn},
       2,
       2,
       run_get},
      {"put",
       "put ОБРАЗ ФАЙЛ [--name ИМЯ] [--type ТИП] [--fil]"_w,
       "файл с диска компьютера в образ"_w,
       {"Записывает файл в текущий каталог образа, как ядро: файл с тем же именем "
        "заменяется, если он не заперт (запертый не заменяется, и ничего не пишется), место "
        "занимают целые секторы, остаток последнего "
        "заполняется нулями. Имя Агата по умолчанию — имя файла без каталога (первые 30 "
        "знаков), тип по умолчанию — B. Имя --name, совпадающее с именем записи так, как её "
        "показывает list, означает эту запись: файл заменяет её."_w,
        "ТИП — буква T, I, A, B, S, П, К, Д (латинские P, K, D означают П, К, Д; "
        "кириллические Т, А, В — T, A, B; регистр не важен) или байт типа "
        "шестнадцатеричным числом, например 0x84 — запертый B. Байт FF не тип, а знак "
        "BTK-каталога."_w,
        "С ключом --fil ФАЙЛ — FIL-файл: имя, тип и данные T/S-списка берутся из его "
        "заголовка; --name и --type, если даны, заменяют имя и байт типа. Байт типа FF "
        "(знак BTK-каталога) не записывается: такой файл отвергается, пока --type не даст "
        "другой тип."_w},
       {{"--name", {}, "ИМЯ"_w}, {"--type", {}, "ТИП"_w}, {"--fil", {}, {}}},
       2,
       2,
       run_put},
      {"rm",
       "rm ОБРАЗ ИМЯ"_w,
       "удалить файл или пустой BTK-каталог"_w,
       {"Удаляет файл (или BTK-каталог, в котором нет живых записей) из текущего каталога "
        "образа: запись помечается удалённой, секторы освобождаются, данные остаются на "
        "месте, так что файл можно восстановить командой undelete. Замок не мешает."_w},
       {},
       2,
       2,
       run_rm},
      {"undelete",
       "undelete ОБРАЗ ИМЯ"_w,
       "восстановить удалённый файл"_w,
       {"Восстанавливает удалённый файл текущего каталога. Имя сравнивается по первым 29 "
        "знакам, и файл получает имя ИМЯ (тридцатый знак, затёртый удалением, берётся из "
        "него; у более короткого имени — пробел, как при F4). Секторы файла снова занимаются. "
        "Если какой-то из них с тех пор отдан другому файлу или каталогу, файл не "
        "восстанавливается, ничего не меняется, а сообщение называет, кто занял секторы "
        "(этот файл можно сначала скопировать). Из "
        "нескольких удалённых файлов с одним именем берётся первый по каталогу."_w},
       {},
       2,
       2,
       run_undelete},
      {"lock",
       "lock ОБРАЗ ИМЯ"_w,
       "запереть файл"_w,
       {"Ставит замок на файл текущего каталога (бит 7 байта типа)."_w},
       {},
       2,
       2,
       run_lock},
      {"unlock",
       "unlock ОБРАЗ ИМЯ"_w,
       "отпереть файл"_w,
       {"Снимает замок с файла текущего каталога."_w},
       {},
       2,
       2,
       run_unlock},
      {"mkdir",
       "mkdir ОБРАЗ ИМЯ"_w,
       "создать BTK-каталог"_w,
       {"Создаёт в текущем каталоге образа BTK-каталог из двух секторов. Имя не должно "
        "совпадать с именем живой записи этого каталога."_w},
       {},
       2,
       2,
       run_mkdir},
      {"cd",
       "cd ОБРАЗ ИМЯ"_w,
       "войти в BTK-каталог или вернуться из него"_w,
       {"Делает BTK-каталог ИМЯ текущим каталогом образа; это записывается в образ, и "
        "следующие команды работают в нём. Внутри BTK-каталога его первая запись носит "
        "его же имя и ведёт обратно: cd ОБРАЗ ИМЯ ещё раз возвращает в родительский каталог."_w,
        "Путь обратно (первая запись каталога, ведущая в каталог, где стоит запись этого) "
        "открыт всегда. В BTK-каталог, первый сектор которого не похож на сектор каталога, "
        "цепочка секторов которого не читается или первая запись которого не ведёт обратно "
        "в текущий каталог, войти нельзя."_w},
       {},
       2,
       2,
       run_cd},
  };
}

}  // namespace agat
