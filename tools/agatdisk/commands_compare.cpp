// The comparison of two Agat files, each in its own image: diff.
#include <string_view>
#include <vector>

#include "command_support.h"
#include "commands.h"
#include "content/file_compare.h"
#include "content/report_reader.h"
#include "core/cp1251_literal.h"
#include "image_access.h"
#include "terminal.h"

namespace agat {

namespace {

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

  TextReport report;
  bool equal = false;
  const bool compared = compare_files(*file1, *file2, format, report, equal);
  if (core_failed() || !compared) return EXIT_FAILED;
  print(plain_text(report.text()));
  return equal ? EXIT_DONE : EXIT_DIFFERENT;
}

}  // namespace

std::vector<Command> compare_commands() {
  return {
      {"diff",
       "diff ОБРАЗ1 ИМЯ1 ОБРАЗ2 ИМЯ2 [--format ФОРМАТ]"_w,
       "сравнение двух файлов"_w,
       {"Сравнивает файл ИМЯ1 образа ОБРАЗ1 с файлом ИМЯ2 образа ОБРАЗ2 (образ может быть "
        "одним и тем же) и печатает отчёт: размеры, если они разные, затем обычный текст — "
        "построчно (строки первого файла после <<, второго после >>, общая строка и черта), "
        "любой другой файл — побайтно (по строке на каждый отличающийся блок из 256 байт: "
        "смещения первых 20 отличий, \"...\", если их больше)."_w,
        "ФОРМАТ задаёт, как понимать файлы: auto (по умолчанию: по типу, имени и началу "
        "первого файла), text — построчно, asis, binary, komand, basic, agawt, autograf, "
        "alvgraf, bingraf, komgraf, zxcompgraf, zxuncompgraf или mgfragm — побайтно."_w,
        "Выход 0, если файлы одинаковы, 3, если различаются (в том числе только "
        "размером), 1 — сравнить не удалось."_w},
       {{"--format", {}, "ФОРМАТ"_w}},
       4,
       4,
       run_diff},
  };
}

}  // namespace agat
