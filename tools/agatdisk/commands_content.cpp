// The commands that look inside files: info (the information page), view (a text, a BASIC
// listing or the disassembly listing of a binary), export (to a host text or binary file)
// and import (a host text or binary as a new Agat file).
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "command_support.h"
#include "commands.h"
#include "content/export_import.h"
#include "content/format_control.h"
#include "content/host_containers.h"
#include "content/info_page.h"
#include "core/cp1251.h"
#include "core/cp1251_literal.h"
#include "core/file_control.h"
#include "core/host_names.h"
#include "core/image_container.h"
#include "core/image_form.h"
#include "image_access.h"
#include "terminal.h"

namespace agat {

namespace {

const Option kFormat{"--format", {}, "ФОРМАТ"_w};
const Option kConvert{"--convert", {}, {}};
constexpr std::string_view kInHelp =
    "С ключом --in КАТАЛОГ файл ищется в BTK-каталоге КАТАЛОГ текущего каталога, без входа "
    "в него (образ не меняется)."_w;

// The host container --format names; on import, with "auto" (or no --format), the one whose
// signature the host file SOURCE starts with. nullptr for none.
const HostContainer* container_option(const ParsedArgs& args, const std::string& source = {}) {
  const std::string given = args.value("--format", "auto");
  if (const HostContainer* named = host_container_named(given)) return named;
  return given == "auto" && !source.empty() ? host_container_of_file(source) : nullptr;
}

// The host name of a file: its Agat name converted (a deleted entry's last character is a
// track number, no part of the name).
std::string host_name_of(const TCATREC& e) {
  TAGATNAME name = e.AGATNAME;
  if (is_deleted(e)) name[29] = AGAT_SPACE;
  return AGAT2HOSTFNAME(name);
}

// ---------------------------------------------------------------------------
// info

std::string json_number(std::optional<std::uint16_t> v) {
  return v ? std::to_string(*v) : "null";
}
std::string json_pair(int a, int b) {
  return "[" + std::to_string(a) + ", " + std::to_string(b) + "]";
}

std::string json_image(TIMAGET t) {
  const TIMAGEDESC& d = IMAGEDESC[t];
  return "{\"form\": " + json_string(d.SHNAME) + ", \"description\": " + json_string(d.HMNAME) +
         ", \"tracks\": " + std::to_string(d.NTR + 1) +
         ", \"sectors\": " + std::to_string(d.NSC + 1) +
         ", \"bytes\": " + std::to_string(image_shown_size(t)) + "}";
}

std::string info_json(const ObjectInfo& i) {
  static constexpr std::string_view kKinds[] = {"directory", "image", "btk", "file"};
  std::string text = "{\n  \"kind\": \"" + std::string(kKinds[i.kind]) + "\"";
  // An Agat file inside an image has no host name: the page shows its mark, JSON null.
  text += ",\n  \"host_name\": " + (i.host_name == NOT_SET_HOSTNAME
                                        ? std::string("null")
                                        : json_string(host_to_cp1251(i.host_name)));
  const auto field = [&text](std::string_view key, const std::string& value) {
    text += ",\n  \"" + std::string(key) + "\": " + value;
  };
  if (i.kind == CRTDISKIMAGE) field("image", json_image(i.image));
  if (i.kind == CRTDISKIMAGE && !i.description.empty())
    field("description", json_string(i.description));
  if (i.kind == CRTBTKDIR) field("start", json_pair(i.track, i.sector));
  if (i.kind == CRTAGATFILE) {
    const auto flag = [](bool b) { return std::string(b ? "true" : "false"); };
    field("name", json_string(agat_name_text(i.name)));
    field("type", json_string(std::string(1, FC_FTYPE(i.ext))));
    field("ext", std::to_string(i.ext));
    field("locked", flag((i.ext & 0x80) != 0));
    field("hidden", flag(i.hidden));
    field("sectors", std::to_string(i.sectors));
    field("size", std::to_string(i.size));
    std::string ts;
    for (std::uint8_t b : i.ts_data) ts += (ts.empty() ? "" : ", ") + std::to_string(b);
    field("ts_data", "[" + ts + "]");
    field("location", i.in_image ? "\"image\"" : "\"fil\"");
    if (i.in_image) {
      field("image", json_image(i.image));
      field("ts", json_pair(i.track, i.sector));
    }
    field("format", json_string(format_name(i.format)));
    field("format_text", json_string(format_description(i.format)));
    field("load_address", json_number(i.load_address));
    field("code_length", json_number(i.code_length));
    field("picture_size",
          i.picture_size ? json_pair(i.picture_size->first, i.picture_size->second) : "null");
    field("video_mode", i.video_mode.empty() ? "null" : json_string(i.video_mode));
  }
  return text + "\n}\n";
}

int run_info(const ParsedArgs& args) {
  const std::string& path = args.operands[0];
  TCATREC image_entry;
  TCATREC* e = &image_entry;
  std::unique_ptr<TMEDIA> md;
  if (args.operands.size() == 1) {
    // The image itself, as the entry of a host panel shows it.
    if (!image_form_of_file(path, image_entry.IMAGET)) return EXIT_FAILED;
    std::string directory;
    split_host_path(path, directory, image_entry.HOSTNAME);
    image_entry.CATRECT = CRTDISKIMAGE;
  } else {
    const TypedName name = typed_name(args.operands[1]);
    md = open_image(path);
    if (md == nullptr || !enter_in(*md, args)) return EXIT_FAILED;
    // A sub-catalog too; a file as get finds it.
    bool ambiguous = false;
    e = find_named(*md, name, EntryKind::btk, false, ambiguous);
    if (e == nullptr) e = file_named(*md, path, args.operands[1]);
    if (e == nullptr) return EXIT_FAILED;
  }
  auto buf = std::make_unique<TFILEBUF>();
  ObjectInfo info;
  const bool gathered = object_info(*e, *buf, info);
  if (core_failed() || !gathered) return EXIT_FAILED;
  if (e == &image_entry) image_description(path, info.description);
  if (args.has("--json")) {
    print(info_json(info));
  } else {
    PrintedReport printed(PrintedReport::SHOWN);
    info_report(printed.report(), info);
    printed.end();
  }
  return EXIT_DONE;
}

// ---------------------------------------------------------------------------
// view and export

// Loads the file NAME of the image; nullptr after a message.
TCATREC* load_named(const ParsedArgs& args, std::unique_ptr<TMEDIA>& md, TFILEBUF& buf) {
  typed_name(args.operands[1]);  // a name that cannot be one is a usage error before all
  md = open_image(args.operands[0]);
  if (md == nullptr || !enter_in(*md, args)) return nullptr;
  TCATREC* e = file_named(*md, args.operands[0], args.operands[1]);
  if (e == nullptr) return nullptr;
  const bool loaded = load_content(*e, buf);
  return core_failed() || !loaded ? nullptr : e;
}

int run_view(const ParsedArgs& args) {
  const TFILEFORMAT format = format_option(args);
  std::unique_ptr<TMEDIA> md;
  auto buf = std::make_unique<TFILEBUF>();
  TCATREC* e = load_named(args, md, *buf);
  if (e == nullptr) return EXIT_FAILED;
  if (e->SIZE == 0) {
    print_error("файл пуст"_w);
    return EXIT_DONE;
  }
  // A listing may be far longer than the viewer's buffer: it is printed as it is made.
  PrintedReport printed(PrintedReport::SHOWN);
  view_report(printed.report(), *e, *buf, FMTDETECT(*e, *buf, format));
  printed.end();
  return EXIT_DONE;
}

int run_export(const ParsedArgs& args) {
  const HostContainer* container = container_option(args);
  // A container carries the code of a B or K file whatever its content.
  const std::optional<TFILEFORMAT> requested =
      container != nullptr ? std::nullopt : std::optional(format_option(args));
  std::unique_ptr<TMEDIA> md;
  auto buf = std::make_unique<TFILEBUF>();
  TCATREC* e = load_named(args, md, *buf);
  if (e == nullptr) return EXIT_FAILED;
  if (container != nullptr) {
    const std::string out =
        args.value("--output", host_name_of(*e) + std::string(container->suffix));
    if (refuse_existing(out, args)) return EXIT_FAILED;
    const bool written = export_contained(*e, *buf, *container, out, args.has("--convert"));
    return core_failed() || !written ? EXIT_FAILED : EXIT_DONE;
  }
  const TFILEFORMAT format = FMTDETECT(*e, *buf, *requested);
  const std::string out =
      args.value("--output", host_name_of(*e) + std::string(export_suffix(format)));
  if (refuse_existing(out, args)) return EXIT_FAILED;
  const bool written = export_loaded(*e, *buf, format, out, args.has("--convert"));
  return core_failed() || !written ? EXIT_FAILED : EXIT_DONE;
}

// ---------------------------------------------------------------------------
// import

int run_import(const ParsedArgs& args) {
  const std::string& source = args.operands[1];
  const HostContainer* container = container_option(args, source);
  // A container is unpacked into a B file of its own; any other host file is read as a format.
  const std::optional<TFILEFORMAT> format =
      container != nullptr ? std::nullopt
                           : std::optional(import_format(format_option(args), source));
  if (format && !is_import_format(*format))
    throw UsageError{std::string("формат "_w) + std::string(format_name(*format)) +
                     std::string(" не импортируется: можно "_w) +
                     format_names([](const ContentFormat& f) { return f.importable; }, " или "_w)};
  TCATREC entry;
  entry.CATRECT = CRTAGATFILE;
  if (args.has("--name")) {
    entry.AGATNAME = typed_name(args.value("--name", "")).agat;
  } else {
    std::string directory, base;
    split_host_path(source, directory, base);
    entry.AGATNAME = HOST2AGATFNAME(base);
  }
  auto md = open_image(args.operands[0]);
  if (md == nullptr) return EXIT_FAILED;
  entry.PMEDIA = md.get();
  const bool saved =
      container != nullptr
          ? import_contained(source, entry, *container, args.has("--convert"), args.has("--force"))
          : CC_IMPORT(source, entry, *format, args.has("--convert"), args.has("--force"));
  return core_failed() || !saved ? EXIT_FAILED : EXIT_DONE;
}

}  // namespace

std::vector<Command> content_commands() {
  return {
      {"info",
       "info ОБРАЗ [ИМЯ] [--json] [--in КАТАЛОГ]"_w,
       "сведения об образе или о файле"_w,
       {"Печатает страницу сведений, как Enter на файле в файловом менеджере: без ИМЕНИ — "
        "об образе (форма, дорожки, секторы, размер), с ИМЕНЕМ — о файле или BTK-каталоге "
        "текущего каталога образа: имя, тип, замок, размеры, байты T/S-списка, место на "
        "диске и предполагаемый формат содержимого с адресом загрузки и длиной кода."_w,
        "С ключом --json печатает один объект JSON: kind (directory, image, btk, file), "
        "host_name (null у файла в образе); у образа image (form, description, tracks, "
        "sectors, bytes); у BTK-каталога start; у файла name, type, ext, locked, hidden, sectors, "
        "size, "
        "ts_data, location (image или fil), image и ts, format, format_text, load_address, "
        "code_length, picture_size, video_mode (null, где их нет)."_w,
        kInHelp},
       {{"--json", {}, {}}, kIn},
       1,
       2,
       run_info},
      {"view",
       "view ОБРАЗ ИМЯ [--format ФОРМАТ] [--in КАТАЛОГ]"_w,
       "содержимое файла как текст"_w,
       {"Печатает то, что показывает просмотр файла: текст, листинг программы на Бейсике "
        "или, для двоичных файлов, листинг кода: адрес, байты, знаки и команда 6502. "
        "Управляющие коды, которые просмотрщик показывает знаком \"?\", печатаются так же."_w,
        kept_text(std::string("ФОРМАТ: auto (по умолчанию: по типу, имени и началу файла), "_w) +
                  format_names([](const ContentFormat& f) {
                    return !is_auto_format(f.format) && !is_picture_format(f.format);
                  }) +
                  std::string("; картинки ("_w) +
                  format_names([](const ContentFormat& f) { return is_picture_format(f.format); }) +
                  std::string(") печатаются листингом их байтов."_w)),
        kInHelp},
       {kFormat, kIn},
       2,
       2,
       run_view},
      {"export",
       "export ОБРАЗ ИМЯ [--format ФОРМАТ] [--convert] [-o ФАЙЛ] [--force] [--in КАТАЛОГ]"_w,
       "файл как текст или двоичный файл компьютера"_w,
       {"Записывает файл так, как экспорт файлового менеджера: тексты — текстом в UTF-8, "
        "программу на Бейсике — листингом, остальное — байтами кода без заголовка. Без -o "
        "файл называется по имени Агата с расширением .txt, .bas или .bin и ложится в "
        "текущий каталог; существующий файл не заменяется без ключа --force (-f)."_w,
        "С ключом --convert программа на Бейсике пишется ключевыми словами GW-Basic, а "
        "байты двоичного файла переводятся из кодов Агата в Windows-1251; тексты "
        "перекодируются всегда. ФОРМАТ — как у view или applesingle: файл B или К пишется "
        "файлом AppleSingle (расширение .as) с ветвью данных — кодом — и сведениями ProDOS, "
        "где вспомогательный тип — адрес загрузки."_w,
        "Листинг с ключевыми словами Агата import --format basic читает обратно в те же "
        "байты: что листинг показать не может, пишется кодами (^$ и шестнадцатеричное число) "
        "и строками после списка длинных имён (адрес загрузки, заявленный размер, байты после "
        "строк, размер файла)."_w,
        kInHelp},
       {kFormat, kConvert, {"--output", "-o", "ФАЙЛ"_w}, kForce, kIn},
       2,
       2,
       run_export},
      {"import",
       "import ОБРАЗ ФАЙЛ [--format ФОРМАТ] [--convert] [--name ИМЯ] [--force]"_w,
       "текст или двоичный файл компьютера в образ"_w,
       {"Записывает файл компьютера в текущий каталог образа новым файлом Агата, как импорт "
        "файлового менеджера: text — текстом типа T (строки UTF-8 переводятся в коды "
        "Агата), basic — программой на Бейсике типа A, binary — файлом B с адресом загрузки "
        "$1800, komand и asis — файлом K с "
        "адресом загрузки и длиной в T/S-списке. Двоичный код длиннее 65520 байт "
        "обрезается с предупреждением. По умолчанию (auto) файл с расширением .txt "
        "берётся как text, файл AppleSingle (по сигнатуре 00 05 16 00) — как applesingle, "
        "любой другой — как binary."_w,
        "applesingle — файл AppleSingle (его пишет, например, cl65 -t apple2) становится файлом "
        "B: ветвь данных — код, вспомогательный тип из сведений ProDOS — адрес загрузки ($1800, "
        "если этих сведений нет). Прочие записи в файл Агата не попадают, предупреждение "
        "называет их."_w,
        "С ключом --convert байты двоичного файла переводятся из Windows-1251 в коды "
        "Агата. Имя Агата по умолчанию — имя файла без каталога. Файл Агата с тем же "
        "именем не заменяется: новый файл получает имя с окончанием ~1, ~2 ... (начало "
        "имени укорачивается, чтобы оно уместилось в 30 знаков), и предупреждение "
        "называет его. С ключом --force (-f) файл с тем же именем заменяется, как при put."_w,
        "Программа на Бейсике читается в том виде, в каком её пишет export с ключевыми "
        "словами Агата: строки с номерами по возрастанию, ключевые слова, ^ и буква для "
        "управляющих кодов, ^^ для самого ^, ^$ и два шестнадцатеричных знака для любого "
        "кода, длинные имена переменных и их список после заголовка «Таблица длинных "
        "переменных», а за ним строки «Адрес загрузки:», «Заявленный размер:», «Байты после "
        "строк:» и «Размер файла:», если export их написал. Так export и затем import дают "
        "те же байты, что и get. Текст, который не программа, отвергается с номером строки; "
        "образ тогда не меняется."_w},
       {kFormat, kConvert, {"--name", {}, "ИМЯ"_w}, kForce},
       2,
       2,
       run_import},
  };
}

}  // namespace agat
