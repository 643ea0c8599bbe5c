// The comparisons: of two images sector by sector (cmp), of two Agat files, each in its
// own image (diff).
#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "command_support.h"
#include "commands.h"
#include "content/file_compare.h"
#include "content/media_compare.h"
#include "core/cp1251.h"
#include "core/cp1251_literal.h"
#include "image_access.h"
#include "terminal.h"

namespace agat {

namespace {

// "  T/ S- ": the place of a sector at the head of its line.
std::string sector_place(int T, int S) {
  std::string t = std::to_string(T), s = std::to_string(S);
  return std::string(3 - std::min<std::size_t>(t.size(), 3), ' ') + t + "/" +
         std::string(2 - std::min<std::size_t>(s.size(), 2), ' ') + s + "- ";
}

// The line of a sector whose bytes differ: the number of differing bytes (with
// EVERY_OFFSET their offsets too), or the image that cannot read it.
std::string sector_line(const SectorComparison& c, const TMEDIA& md1, const TMEDIA& md2,
                        bool every_offset) {
  std::string line = sector_place(c.T, c.S);
  if (!c.READABLE1 && !c.READABLE2) return line + std::string("ошибка чтения обоих образов\n"_w);
  if (!c.READABLE1 || !c.READABLE2)
    return line + std::string("ошибка чтения образа "_w) +
           host_to_cp1251(c.READABLE1 ? md2.IMAGENAME : md1.IMAGENAME) + "\n";
  line += std::string("отличий: "_w) + std::to_string(c.DIFFERING);
  if (every_offset) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    line += ";";
    for (int o = 0; o < 256; ++o)
      if ((*c.A)[o] != (*c.B)[o]) line += {' ', kDigits[o >> 4], kDigits[o & 15]};
  }
  return line + "\n";
}

// The whole report goes out as it is made, a line a sector, however many sectors differ:
// nothing is held back or cut.
int run_cmp(const ParsedArgs& args) {
  TIMAGET type1, type2;
  if (!image_form_of_file(args.operands[0], type1) || !image_form_of_file(args.operands[1], type2))
    return EXIT_FAILED;
  auto md1 = image_medium(args.operands[0], type1);
  auto md2 = image_medium(args.operands[1], type2);
  const bool every_offset = args.has("--bytes");
  int sectors = 0, differing = 0, unreadable = 0;
  const bool compared = compare_media_sectors(*md1, *md2, [&](const SectorComparison& c) {
    if (sectors++ == 0)
      print(std::string("Сравнение образа "_w) + host_to_cp1251(md1->HOSTPATH + md1->IMAGENAME) +
            std::string("\nс образом        "_w) + host_to_cp1251(md2->HOSTPATH + md2->IMAGENAME) +
            ":\n");
    // Sectors of equal bytes are equal, even where both hold the mark of a sector that
    // was not read; a sector that differs is unreadable when either image failed it.
    if (c.DIFFERING == 0) return;
    ++(c.READABLE1 && c.READABLE2 ? differing : unreadable);
    print(sector_line(c, *md1, *md2, every_offset));
  });
  if (core_failed() || !compared) return EXIT_FAILED;
  const bool different = differing + unreadable > 0;
  if (!different) print("Отличий между образами не найдено\n"_w);
  print(std::string("Сравнено секторов: "_w) + std::to_string(sectors) +
        std::string(", различаются: "_w) + std::to_string(differing) +
        std::string(", не читаются хотя бы в одном образе: "_w) + std::to_string(unreadable) +
        "\n");
  return different ? EXIT_DIFFERENT : EXIT_DONE;
}

int run_diff(const ParsedArgs& args) {
  const std::vector<std::string>& op = args.operands;
  typed_name(op[1]);  // names that cannot be ones are refused before the images are read
  typed_name(op[3]);
  const TFILEFORMAT format = format_option(args);
  auto md1 = open_image(op[0]);
  if (md1 == nullptr) return EXIT_FAILED;
  auto md2 = open_image(op[2]);
  if (md2 == nullptr) return EXIT_FAILED;
  TCATREC* file1 = file_named(*md1, op[0], op[1]);
  TCATREC* file2 = file_named(*md2, op[2], op[3]);
  if (file1 == nullptr || file2 == nullptr) return EXIT_FAILED;

  PrintedReport printed(PrintedReport::PLAIN);
  bool equal = false;
  const bool compared = compare_files(*file1, *file2, format, printed.report(), equal);
  if (core_failed() || !compared) return EXIT_FAILED;
  printed.end();
  return equal ? EXIT_DONE : EXIT_DIFFERENT;
}

}  // namespace

std::vector<Command> compare_commands() {
  return {
      {"cmp",
       "cmp ОБРАЗ1 ОБРАЗ2 [--bytes]"_w,
       "посекторное сравнение образов"_w,
       {"Сравнивает два образа одной геометрии сектор за сектором (формы могут быть "
        "разными: сравниваются прочитанные секторы) и печатает отчёт: по строке на "
        "каждый отличающийся сектор — дорожка/сектор и число отличающихся байтов (с "
        "ключом --bytes и смещения всех отличающихся байтов), или имя образа, в котором "
        "сектор не читается; в конце — сколько секторов сравнено, сколько различаются и "
        "сколько не читаются хотя бы в одном образе. Отчёт печатается целиком, каким бы "
        "длинным он ни был."_w,
        "Выход 0, если образы одинаковы, и 3, если различаются (в том числе сектором, "
        "который не читается только в одном образе); 1 — сравнить не удалось."_w},
       {{"--bytes", {}, {}}},
       2,
       2,
       run_cmp},
      {"diff",
       "diff ОБРАЗ1 ИМЯ1 ОБРАЗ2 ИМЯ2 [--format ФОРМАТ]"_w,
       "сравнение двух файлов"_w,
       {"Сравнивает файл ИМЯ1 образа ОБРАЗ1 с файлом ИМЯ2 образа ОБРАЗ2 (образ может быть "
        "одним и тем же) и печатает отчёт: размеры, если они разные, затем обычный текст — "
        "построчно (строки первого файла после <<, второго после >>, общая строка и черта), "
        "любой другой файл — побайтно (по строке на каждый отличающийся блок из 256 байт: "
        "смещения первых 20 отличий, \"...\", если их больше)."_w,
        kept_text(std::string("ФОРМАТ задаёт, как понимать файлы: auto (по умолчанию: по "
                              "типу, имени и началу первого файла), text — построчно, "_w) +
                  format_names(
                      [](const ContentFormat& f) {
                        return !is_auto_format(f.format) && f.shown != ContentShown::text;
                      },
                      " или "_w) +
                  std::string(" — побайтно."_w)),
        "Выход 0, если файлы одинаковы, 3, если различаются (в том числе только "
        "размером), 1 — сравнить не удалось."_w},
       {{"--format", {}, "ФОРМАТ"_w}},
       4,
       4,
       run_diff},
  };
}

}  // namespace agat
