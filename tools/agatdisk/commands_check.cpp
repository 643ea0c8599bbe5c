// The commands on the health of an image: check (the analysis of the sector map, for
// sorting a collection of disks) and recover (a catalog entry for a lost T/S list).
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "command_support.h"
#include "commands.h"
#include "content/immap_report.h"
#include "content/report_reader.h"
#include "core/cp1251_literal.h"
#include "core/file_control.h"
#include "core/immap_summary.h"
#include "core/sector_oddity.h"
#include "core/vtoc_soundness.h"
#include "image_access.h"
#include "terminal.h"

namespace agat {

namespace {

constexpr std::string_view kRoleKeys[] = {"vtoc", "catalog", "tslist", "data"};
constexpr std::string_view kRoleNames[] = {"VTOC", "каталог"_w, "T/S-список"_w, "данные"_w};

std::string place(TSECTORPLACE p) {
  return std::to_string(p.T) + "/" + std::to_string(p.S);
}
std::string json_place(std::uint8_t t, std::uint8_t s) {
  return "[" + std::to_string(t) + ", " + std::to_string(s) + "]";
}
std::string json_place(TSECTORPLACE p) {
  return json_place(p.T, p.S);
}

// Items joined by `separator`, each made by `show`.
template <class List, class Show>
std::string joined(const List& items, std::string_view separator, Show show) {
  std::string text;
  for (const auto& item : items) {
    if (!text.empty()) text += separator;
    text += show(item);
  }
  return text;
}

std::string json_places(const std::vector<TSECTORPLACE>& places) {
  return "[" + joined(places, ", ", [](TSECTORPLACE p) { return json_place(p); }) + "]";
}
std::string text_places(const std::vector<TSECTORPLACE>& places) {
  return places.empty() ? std::string("нет"_w) : joined(places, " ", place);
}

const T_IMMSECTORDESC& at(TSECTORPLACE p) {
  return SCMP[p.T][p.S];
}

std::string hex_byte(std::uint8_t b) {
  char text[4];
  std::snprintf(text, sizeof text, "%02X", b);
  return text;
}

std::string file_name(const TIMMLINK& link) {
  return visible(agat_name_text(link.LF_FNAME));
}

// The names of the departures of nonstandard sectors.
constexpr std::pair<std::uint8_t, std::string_view> kOddityKeys[] = {
    {ODD_EPILOGUE, "epilogue"}, {ODD_XOR_SUM, "xor_checksum"}, {ODD_SYNC_DATA, "sync_in_data"}};

std::string oddity_keys(std::uint8_t odd) {
  std::string keys;
  for (const auto& [bit, key] : kOddityKeys)
    if ((odd & bit) != 0) keys += (keys.empty() ? "" : "+") + std::string(key);
  return keys;
}

// ---------------------------------------------------------------------------
// The text report

std::string text_error(TSECTORPLACE p) {
  const T_IMMSECTORDESC& d = at(p);
  std::string reasons;
  if (d.ERRSELF)
    reasons += std::string("ошибка в содержимом (смещение $"_w) + hex_byte(d.INTBUGOFFS) + ")";
  if (d.ERRSELF && d.ERRFROM) reasons += "; ";
  if (d.ERRFROM)
    reasons += std::string("ссылка за пределы образа: "_w) + place({d.EXTTOTR, d.EXTTOSC});
  return "  " + place(p) + ": " + reasons + "\n";
}

std::string text_reference(const TIMMLINK& link) {
  std::string text = std::string("из "_w) + place({link.LF_T, link.LF_S}) + " (" +
                     std::string(kRoleNames[link.LF_FORMAT]);
  if (link.LF_FORMAT == IMMTSLIST || link.LF_FORMAT == IMMDATA)
    text += std::string(" файла "_w) + "\"" + file_name(link) + "\"";
  return text + ")";
}

std::string text_shared(TSECTORPLACE p) {
  const T_IMMSECTORDESC& d = at(p);
  const std::vector<TIMMLINK> links(d.LINKSFROM.begin(), d.LINKSFROM.begin() + d.LINKSCNT);
  return "  " + place(p) + ": " + joined(links, ", ", text_reference) + "\n";
}

constexpr std::string_view kKindKeys[] = {"lost", "deleted", "stale"};

// The deleted entry that leads to the chain, by the name it had (the last character,
// which deletion overwrote, left out).
std::string deleted_name(TMEDIA& md, const TIMMORPHAN& o) {
  const TCATREC33& e = as<TCATSECTOR>(md.MASS[o.ENTRY.T][o.ENTRY.S]).CR[o.OCAT];
  return agat_name_text(e.N, 29);
}

std::string text_kind(TMEDIA& md, const TIMMORPHAN& o) {
  switch (o.KIND) {
    case ORPHAN_LOST:
      return std::string("потерянный файл, секторы заняты"_w);
    case ORPHAN_DELETED:
      return std::string("удалённый файл "_w) + "\"" + visible(deleted_name(md, o)) + "\"";
    default:
      return std::string("устаревший список в свободных секторах"_w);
  }
}

std::string text_orphan(TMEDIA& md, const TIMMORPHAN& o) {
  std::string text = "  " + place(o.AT) + " (" + text_kind(md, o) + "):";
  if (!o.LISTS.empty()) text += std::string(" T/S-списки "_w) + text_places(o.LISTS) + ";";
  return text + std::string(" данные "_w) + text_places(o.DATA) + "\n";
}

// A heading and its lines, or the heading and "нет".
template <class List, class Show>
std::string section(std::string_view heading, const List& items, Show show) {
  if (items.empty()) return std::string(heading) + std::string(": нет\n"_w);
  std::string text = std::string(heading) + ":\n";
  for (const auto& item : items) text += show(item);
  return text;
}

std::string text_check(TMEDIA& md, const TVTOCFAULTS& faults, const TIMMSUMMARY& sum) {
  TextReport vtoc;
  vtoc_report(faults, vtoc);
  std::string text =
      faults.empty() ? std::string("Анализ VTOC: ошибок нет\n"_w) : plain_text(vtoc.text());
  text += "Секторы по ролям:"_w;
  for (int r = 0; r < 4; ++r)
    text +=
        (r == 0 ? " " : ", ") + std::string(kRoleNames[r]) + " " + std::to_string(sum.BYROLE[r]);
  text += std::string(", без ссылок "_w) + std::to_string(sum.UNREFERENCED) + "\n";
  text += section("Ошибки в секторах"_w, sum.ERRORS, text_error);
  text += section("Секторы с несколькими ссылками"_w, sum.SHARED, text_shared);
  text += std::string("Нечитаемые секторы, на которые есть ссылки: "_w) +
          text_places(sum.UNREADABLE) + "\n";
  text += section("Брошенные T/S-списки с данными"_w, sum.ORPHANS,
                  [&md](const TIMMORPHAN& o) { return text_orphan(md, o); });
  text += std::string("Используются, но свободны по карте VTOC: "_w) +
          text_places(sum.USED_BUT_FREE) + "\n";
  text += std::string("Не используются, но заняты по карте VTOC: "_w) +
          text_places(sum.FREE_BUT_USED) + "\n";
  text += std::string("Нечитаемые свободные секторы без ссылок: "_w) +
          std::to_string(sum.UNREADABLE_UNUSED) + "\n";
  const auto odd = nonstandard_sectors(md);
  text += std::string("Нестандартные, но читаемые секторы: "_w) +
          (odd.empty() ? std::string("нет"_w)
                       : joined(odd, " ",
                                [](const NonstandardSector& n) {
                                  return place(n.at) + " (" + oddity_text(n.odd) + ")";
                                })) +
          "\n";
  return text +
         std::string(sum.DAMAGED ? "Найдены повреждения.\n"_w : "Повреждений не найдено.\n"_w);
}

// ---------------------------------------------------------------------------
// The JSON report

std::string json_error(TSECTORPLACE p) {
  const T_IMMSECTORDESC& d = at(p);
  return "{\"ts\": " + json_place(p) +
         ", \"content\": " + (d.ERRSELF ? std::to_string(d.INTBUGOFFS) : "null") +
         ", \"link\": " + (d.ERRFROM ? json_place(d.EXTTOTR, d.EXTTOSC) : "null") + "}";
}

std::string json_reference(const TIMMLINK& link) {
  const bool named = link.LF_FORMAT == IMMTSLIST || link.LF_FORMAT == IMMDATA;
  return "{\"from\": " + json_place(link.LF_T, link.LF_S) + ", \"role\": \"" +
         std::string(kRoleKeys[link.LF_FORMAT]) +
         "\", \"file\": " + (named ? json_string(agat_name_text(link.LF_FNAME)) : "null") + "}";
}

std::string json_shared(TSECTORPLACE p) {
  const T_IMMSECTORDESC& d = at(p);
  const std::vector<TIMMLINK> links(d.LINKSFROM.begin(), d.LINKSFROM.begin() + d.LINKSCNT);
  return "{\"ts\": " + json_place(p) + ", \"references\": [" + joined(links, ", ", json_reference) +
         "]}";
}

std::string json_orphan(TMEDIA& md, const TIMMORPHAN& o) {
  return "{\"ts\": " + json_place(o.AT) + ", \"kind\": \"" + std::string(kKindKeys[o.KIND]) +
         "\", \"file\": " + (o.KIND == ORPHAN_DELETED ? json_string(deleted_name(md, o)) : "null") +
         ", \"lists\": " + json_places(o.LISTS) + ", \"data\": " + json_places(o.DATA) + "}";
}

std::string json_nonstandard(const NonstandardSector& n) {
  return "{\"ts\": " + json_place(n.at) + ", \"kind\": \"" + oddity_keys(n.odd) + "\"}";
}

template <class List, class Show>
std::string json_list(const List& items, Show show) {
  if (items.empty()) return "[]";
  return "[\n    " + joined(items, ",\n    ", show) + "\n  ]";
}

std::string json_check(TMEDIA& md, const TVTOCFAULTS& faults, const TIMMSUMMARY& sum) {
  std::string text =
      "{\n  \"dos_catalog\": true,\n  \"damaged\": " + std::string(sum.DAMAGED ? "true" : "false");
  text += ",\n  \"vtoc\": " +
          json_list(faults, [](const TVTOCFAULT& f) { return json_string(vtoc_fault_line(f)); });
  text += ",\n  \"roles\": {";
  for (int r = 0; r < 4; ++r)
    text += "\"" + std::string(kRoleKeys[r]) + "\": " + std::to_string(sum.BYROLE[r]) + ", ";
  text += "\"none\": " + std::to_string(sum.UNREFERENCED) + "}";
  text += ",\n  \"errors\": " + json_list(sum.ERRORS, json_error);
  text += ",\n  \"shared\": " + json_list(sum.SHARED, json_shared);
  text += ",\n  \"unreadable\": " + json_places(sum.UNREADABLE);
  text += ",\n  \"orphans\": " +
          json_list(sum.ORPHANS, [&md](const TIMMORPHAN& o) { return json_orphan(md, o); });
  text += ",\n  \"used_but_free\": " + json_places(sum.USED_BUT_FREE);
  text += ",\n  \"free_but_used\": " + json_places(sum.FREE_BUT_USED);
  text += ",\n  \"unreadable_unused\": " + std::to_string(sum.UNREADABLE_UNUSED);
  text += ",\n  \"nonstandard\": " + json_list(nonstandard_sectors(md), json_nonstandard);
  return text + "\n}\n";
}

// ---------------------------------------------------------------------------
// The commands

int run_check(const ParsedArgs& args) {
  const std::string& path = args.operands[0];
  TIMAGET type;
  if (!image_form_of_file(path, type)) return EXIT_FAILED;
  // The sectors only: a damaged VTOC or catalog is what the check is to find.
  auto md = image_medium(path, type);
  FC_LOADMEDIA(*md);
  if (core_failed()) return EXIT_FAILED;
  // Without a DOS VTOC every link the map would follow means nothing: one line says so.
  if (!vtoc_is_sound(*md)) {
    print(args.has("--json")
              ? std::string("{\"dos_catalog\": false, \"damaged\": null}\n")
              : std::string("На диске нет каталога DOS, который можно прочитать.\n"_w));
    return EXIT_NO_DOS;
  }
  TVTOCFAULTS faults;
  scan_map(*md, faults);
  const TIMMSUMMARY sum = summarise_map(*md, faults);
  print(args.has("--json") ? json_check(*md, faults, sum) : text_check(*md, faults, sum));
  return sum.DAMAGED ? EXIT_DAMAGED : EXIT_DONE;
}

// "T/S" in decimal, each at most 255.
TSECTORPLACE typed_place(const std::string& text) {
  unsigned t = 0, s = 0;
  char end = 0;
  if (std::sscanf(text.c_str(), "%3u/%3u%c", &t, &s, &end) != 2 || t > 255 || s > 255 ||
      text.find_first_not_of("0123456789/") != std::string::npos)
    throw UsageError{std::string("неверное место сектора "_w) + quoted_host(text) +
                     std::string(": нужно ДОРОЖКА/СЕКТОР, например 18/15"_w)};
  return {static_cast<std::uint8_t>(t), static_cast<std::uint8_t>(s)};
}

int run_recover(const ParsedArgs& args) {
  const TSECTORPLACE p = typed_place(args.operands[1]);
  TIMAGET type;
  if (!image_form_of_file(args.operands[0], type)) return EXIT_FAILED;
  auto md = image_medium(args.operands[0], type);
  // As a panel reads it: a catalog that breaks off further on may still take the entry.
  FC_READCAT(*md);
  core_failed();
  if (md->VTOCINVALID) return EXIT_FAILED;
  if (!FC_IS_RANGEOK(*md, p.T, p.S)) {
    print_error(std::string("сектора "_w) + place(p) + std::string(" нет в образе"_w));
    return EXIT_FAILED;
  }
  BUILDFILE(*md, p.T, p.S);
  if (core_failed()) return EXIT_FAILED;
  // The new file's name, as list shows it.
  FC_READCAT(*md);
  core_failed();
  for (std::int32_t i = 0; i < md->CAT.CATNUM; ++i) {
    const TCATREC& e = md->CAT.CATREC[i];
    if (e.CATRECT == CRTAGATFILE && e.TTSL == p.T && e.STSL == p.S)
      print(visible(entry_name(e)) + "\n");
  }
  return EXIT_DONE;
}

}  // namespace

std::vector<Command> check_commands() {
  return {
      {"check",
       "check ОБРАЗ [--json]"_w,
       "проверка образа по карте секторов"_w,
       {"Строит карту секторов образа, как F12 в файловом менеджере, и печатает отчёт: "
        "ошибки полей VTOC, число секторов каждой роли (VTOC, каталог, T/S-список, данные, "
        "без ссылок), секторы с ошибками (ошибка в содержимом со смещением, ссылка за "
        "пределы образа), секторы с несколькими ссылками, нечитаемые секторы, на которые "
        "есть ссылки, брошенные T/S-списки с данными (их данные и вид: потерянный файл, "
        "секторы которого заняты, удалённый файл, до которого ещё ведёт его запись, или "
        "устаревший список в свободных секторах) и несоответствия карты VTOC."_w,
        "С ключом --json печатает один объект: dos_catalog (true), damaged, vtoc (строки ошибок "
        "VTOC), roles, "
        "errors (ts, content — смещение ошибки или null, link — ссылка за пределы образа "
        "или null), shared (ts и references: from, role, file), unreadable, orphans (ts, "
        "kind — lost, deleted или stale, file — имя удалённого файла или null, lists, data), "
        "used_but_free, free_but_used и unreadable_unused."_w,
        "Выход 0 — повреждений нет, 3 — есть, 4 — на диске нет каталога DOS (VTOC не "
        "читается или описывает не этот диск; печатается одна строка, в JSON — "
        "{\"dos_catalog\": false, \"damaged\": null}), 1 — проверить не удалось. Отсутствие "
        "имени тома (так пишут образы других DOS), удалённые файлы, устаревшие списки и "
        "нечитаемые свободные секторы без ссылок повреждением не считаются."_w,
        "Секторы защищённых дисков, прочитанные вопреки разметке дорожки (адресное поле "
        "закрыто не $5A, контрольная сумма — исключающее ИЛИ, метка среди данных), "
        "перечисляются в отчёте перед его итогом, в --json — в nonstandard (ts, kind: "
        "epilogue, xor_checksum, sync_in_data, несколько через «+»); повреждением они не "
        "считаются."_w},
       {{"--json", {}, {}}},
       1,
       1,
       run_check},
      {"recover",
       "recover ОБРАЗ ДОРОЖКА/СЕКТОР"_w,
       "файл из брошенного T/S-списка"_w,
       {"Восстанавливает файл, цепочка которого начинается с T/S-списка ДОРОЖКА/СЕКТОР, на "
        "который нет ссылок (как клавиша r на карте образа), и печатает его имя. Удалённый "
        "файл, запись которого ещё ведёт к списку, восстанавливается под своим именем, как "
        "командой undelete. Иначе в текущем каталоге создаётся запись файла типа T с именем "
        "из дорожки и сектора списка, например «  18   15», и его секторы занимаются в VTOC; "
        "запись берётся из никогда не занятых, а запись удалённого файла — только когда "
        "других нет, с предупреждением."_w,
        "Отказ (выход 1, ничего не меняется): список продолжает чужую цепочку (называется её "
        "первый список), какой-либо сектор цепочки уже занят файлом, VTOC или каталогом "
        "(называется чем), в каталоге нет свободной записи (каталог не расширяется)."_w},
       {},
       2,
       2,
       run_recover},
  };
}

}  // namespace agat
