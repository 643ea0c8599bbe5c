// The commands on whole images: new, convert and cmp.
#include <algorithm>
#include <memory>
#include <vector>

#include "command_support.h"
#include "commands.h"
#include "content/media_compare.h"
#include "content/report_reader.h"
#include "core/cp1251.h"
#include "core/cp1251_literal.h"
#include "core/file_control.h"
#include "image_access.h"
#include "terminal.h"

namespace agat {

namespace {

constexpr Option kDescription{"--description", {}, "ТЕКСТ"_w};
constexpr std::string_view kDescriptionHelp =
    "Образ emu800 получает новый заголовок: подпись эмулятора, флаг 0 и описание "
    "ТЕКСТ (до 205 знаков кодовой страницы 866; без --description — пустое)."_w;

int run_new(const ParsedArgs& args) {
  const TIMAGET form = creatable_form(args);
  auto md = image_medium(args.operands[0], form);
  md->DESCRIPTION = typed_description(args, form);
  FC_INITMEDIA(*md);
  return core_failed() ? EXIT_FAILED : EXIT_DONE;
}

int run_convert(const ParsedArgs& args) {
  const TIMAGET form = creatable_form(args);
  const std::string description = typed_description(args, form);
  const std::string& source = args.operands[0];
  TIMAGET type;
  if (!image_form_of_file(source, type)) return EXIT_FAILED;
  if (IMAGEDESC[type].NTR != IMAGEDESC[form].NTR || IMAGEDESC[type].NSC != IMAGEDESC[form].NSC) {
    print_error(std::string("образ "_w) + quoted_host(source) +
                std::string(" нельзя записать в форме "_w) + args.value("--form", "") +
                std::string(": у них разная геометрия"_w));
    return EXIT_FAILED;
  }
  auto md = image_medium(source, type);
  FC_LOADMEDIA(*md);
  if (core_failed()) return EXIT_FAILED;
  // The same sectors, saved as a new file of the other form (with a new header).
  split_host_path(args.operands[1], md->HOSTPATH, md->IMAGENAME);
  set_geometry(*md, form);
  md->DESCRIPTION = description;
  FC_SAVEMEDIA(*md, true);
  return core_failed() ? EXIT_FAILED : EXIT_DONE;
}

int run_cmp(const ParsedArgs& args) {
  TIMAGET type1, type2;
  if (!image_form_of_file(args.operands[0], type1) || !image_form_of_file(args.operands[1], type2))
    return EXIT_FAILED;
  auto md1 = image_medium(args.operands[0], type1);
  auto md2 = image_medium(args.operands[1], type2);
  TextReport built;
  bool equal = true;
  const bool compared = compare_media(*md1, *md2, built, equal);
  if (core_failed() || !compared) return EXIT_FAILED;
  std::string report = plain_text(built.text());
  // Two title lines, then a line for each sector that differs or that one image cannot
  // read; a report without such lines ends in a sentence without a line end.
  const auto lines = std::count(report.begin(), report.end(), '\n');
  if (report.empty() || report.back() != '\n') report += '\n';
  print(report);
  return lines > 2 ? EXIT_DIFFERENT : EXIT_DONE;
}

}  // namespace

std::vector<Command> image_commands() {
  return {
      {"new",
       "new ОБРАЗ --form ФОРМА [--description ТЕКСТ]"_w,
       "новый пустой образ"_w,
       {"Создаёт новый пустой образ: 542 свободных сектора на 140 К, 3335 на 800 К, "
        "каталог из одного сектора. ФОРМА — dsk140 (143360 байт), nib140 (232960), "
        "dsk800 (860160), nib800 (947520) или emu800 (860416: образ 800 К после "
        "256-байтного заголовка эмулятора). Существующий файл не заменяется."_w,
        kDescriptionHelp},
       {{"--form", {}, "ФОРМА"_w}, kDescription},
       1,
       1,
       run_new},
      {"convert",
       "convert ИСТОЧНИК НОВЫЙ --form ФОРМА [--description ТЕКСТ]"_w,
       "тот же образ в другой форме"_w,
       {"Записывает секторы образа ИСТОЧНИК (любой из десяти форм) в новый файл формы "
        "ФОРМА той же геометрии: dsk140 или nib140 для образов 140 К, dsk800, nib800 или "
        "emu800 для 800 К. Файловая система не проверяется: переносятся все секторы, как "
        "есть. Существующий файл не заменяется."_w,
        kDescriptionHelp},
       {{"--form", {}, "ФОРМА"_w}, kDescription},
       2,
       2,
       run_convert},
      {"cmp",
       "cmp ОБРАЗ1 ОБРАЗ2"_w,
       "посекторное сравнение образов"_w,
       {"Сравнивает два образа одной геометрии сектор за сектором (формы могут быть "
        "разными: сравниваются прочитанные секторы) и печатает отчёт: по строке на "
        "каждый отличающийся сектор — дорожка/сектор и смещения отличающихся байтов, "
        "или имя образа, в котором сектор не читается."_w,
        "Выход 0, если в отчёте нет ни одного сектора, и 3, если есть (в том числе "
        "сектор, который не читается только в одном образе); 1 — сравнить не удалось."_w},
       {},
       2,
       2,
       run_cmp},
  };
}

}  // namespace agat
