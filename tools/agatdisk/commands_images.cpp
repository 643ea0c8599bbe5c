// The commands on whole images: new and convert.
#include <algorithm>
#include <memory>
#include <vector>

#include "command_support.h"
#include "commands.h"
#include "core/char_sets.h"
#include "core/cp1251.h"
#include "core/cp1251_literal.h"
#include "core/file_control.h"
#include "core/media_lifecycle.h"
#include "core/volume_name.h"
#include "image_access.h"
#include "terminal.h"

namespace agat {

namespace {

constexpr Option kDescription{"--description", {}, "ТЕКСТ"_w};
constexpr std::string_view kDescriptionHelp =
    "Образ emu800 получает новый заголовок: подпись эмулятора, флаг 0 и описание "
    "ТЕКСТ (до 205 знаков кодовой страницы 866; без --description — пустое)."_w;

constexpr Option kBoot{"--boot", {}, "ОБРАЗЕЦ"_w};
constexpr Option kVolume{"--volume", {}, "ИМЯ"_w};

// The volume name given with --volume, in Agat codes; a UsageError for a name too long or
// with a character that has no Agat code or would end the name.
std::string typed_volume(const std::string& utf8) {
  std::string cp1251;
  const bool converted = utf8_to_cp1251(utf8, cp1251);
  if (converted && cp1251.size() > MAX_VOLUME_NAME)
    throw UsageError{std::string("имя тома "_w) + quoted_host(utf8) + std::string(" длиннее "_w) +
                     std::to_string(MAX_VOLUME_NAME) + std::string(" знаков"_w)};
  if (!converted || std::any_of(cp1251.begin(), cp1251.end(),
                                [](char c) { return static_cast<std::uint8_t>(c) < 0x20; }))
    throw UsageError{std::string("в имени тома "_w) + quoted_host(utf8) +
                     std::string(" есть знак, которого нет в кодировке Агата"_w)};
  return L2A(cp1251);
}

int run_new(const ParsedArgs& args) {
  const TIMAGET form = creatable_form(args);
  NewImageSystem system;
  if (args.has("--volume")) system.VOLUME = typed_volume(args.value("--volume", ""));
  auto md = image_medium(args.operands[0], form);
  md->DESCRIPTION = typed_description(args, form);
  std::unique_ptr<TMEDIA> master;
  if (args.has("--boot")) {
    const std::string& path = args.value("--boot", "");
    TIMAGET type;
    if (!image_form_of_file(path, type)) return EXIT_FAILED;
    master = image_medium(path, type);
    FC_LOADMEDIA(*master);
    if (core_failed()) return EXIT_FAILED;
    system.MASTER = master.get();
  }
  FC_INITMEDIA(*md, system);
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

}  // namespace

std::vector<Command> image_commands() {
  return {
      {"new",
       "new ОБРАЗ --form ФОРМА [--boot ОБРАЗЕЦ] [--volume ИМЯ] [--description ТЕКСТ]"_w,
       "новый пустой или загрузочный образ"_w,
       {"Создаёт новый пустой образ: 542 свободных сектора на 140 К, 3335 на 800 К, "
        "каталог из одного сектора. ФОРМА — dsk140 (143360 байт), nib140 (232960), "
        "woz (файл WOZ 2 битовых потоков 140 К), mfi140 (образ MFI 140 К), dsk800 (860160), nib800 (947520), hfe (образ "
        "HFE 800 К), mfi800 (образ MFI 800 К) или emu800 (860416: образ 800 К после 256-байтного "
        "заголовка эмулятора). Существующий файл не заменяется."_w,
        "С ключом --boot образ получает ДОС загрузочного образа ОБРАЗЕЦ того же размера: "
        "секторы, которые VTOC образца отмечает занятыми, но не занимают ни каталог, ни "
        "T/S-списки, ни файлы, ни VTOC, переносятся на те же места и отмечаются занятыми; "
        "имя тома берётся у образца. Образец с повреждённым VTOC или другого размера не "
        "годится."_w,
        "С ключом --volume ИМЯ том получает имя ИМЯ (до 29 знаков кодировки Агата)."_w,
        kDescriptionHelp},
       {{"--form", {}, "ФОРМА"_w}, kBoot, kVolume, kDescription},
       1,
       1,
       run_new},
      {"convert",
       "convert ИСТОЧНИК НОВЫЙ --form ФОРМА [--description ТЕКСТ]"_w,
       "тот же образ в другой форме"_w,
       {"Записывает секторы образа ИСТОЧНИК (любой из четырнадцати форм) в новый файл формы "
        "ФОРМА той же геометрии: dsk140, nib140, woz или mfi140 для образов 140 К, dsk800, nib800, hfe, "
        "mfi800 или emu800 для 800 К. Файловая система не проверяется: переносятся все секторы, как "
        "есть. Существующий файл не заменяется."_w,
        kDescriptionHelp},
       {{"--form", {}, "ФОРМА"_w}, kDescription},
       2,
       2,
       run_convert},
  };
}

}  // namespace agat
