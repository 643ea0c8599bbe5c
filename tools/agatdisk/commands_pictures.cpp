// The command on pictures: png, a picture file of an image saved as a PNG file.
#include <memory>
#include <optional>
#include <string_view>

#include "command_support.h"
#include "commands.h"
#include "content/format_control.h"
#include "content/graph_modes.h"
#include "content/graph_proc.h"
#include "core/cp1251.h"
#include "core/cp1251_literal.h"
#include "image_access.h"
#include "platform/png_writer.h"
#include "terminal.h"

namespace agat {

namespace {

// The names of the video-memory modes for --mode, in the order of TFILEGFORMAT.
constexpr std::string_view kModeNames[GRAPHIC_FORMAT_COUNT] = {
    "text64n", "text64i", "text32", "lgr7", "mgr", "hgr", "apple", "mgr9", "hgr9"};

TFILEGFORMAT mode_named(const std::string& name) {
  for (int m = 0; m < GRAPHIC_FORMAT_COUNT; ++m)
    if (name == kModeNames[m]) return static_cast<TFILEGFORMAT>(m);
  throw UsageError{
      std::string("неизвестный режим "_w) + quoted_host(name) +
      std::string(": text64n, text64i, text32, lgr7, mgr, hgr, apple, mgr9 или hgr9"_w)};
}

int run_png(const ParsedArgs& args) {
  typed_name(args.operands[1]);  // a bad name is a usage error, before the image is read
  const TFILEFORMAT requested = format_option(args);
  std::optional<TFILEGFORMAT> mode;
  if (args.has("--mode")) mode = mode_named(args.value("--mode", ""));
  auto md = open_image(args.operands[0]);
  if (md == nullptr) return EXIT_FAILED;
  auto buf = std::make_unique<TFILEBUF>();
  const TCATREC* e = load_named_file(*md, args.operands[1], *buf);
  if (e == nullptr) return EXIT_FAILED;
  const TFILEFORMAT format = FMTDETECT(*e, *buf, requested);
  if (!is_picture_format(format)) {
    print_error(
        std::string("файл "_w) + quoted_host(args.operands[1]) + std::string(" не рисунок"_w) +
        std::string(is_auto_format(requested) ? " (формат рисунка задаёт ключ --format)"_w : ""));
    return EXIT_FAILED;
  }
  if (mode && !gp_has_modes(format)) {
    print_error(std::string("у рисунка "_w) + quoted_host(args.operands[1]) +
                std::string(" нет режимов: --mode только для образов видеопамяти"_w));
    return EXIT_FAILED;
  }
  auto frame = std::make_unique<TGRAPHSCREEN>();
  const TGRAPHVIEW view = gp_render(*e, *buf, format, *frame, mode);
  const Picture picture{frame->P.data(), SCRSIDE, view.W, view.H, view.PSW, view.PSH};

  // Named after the entry's own name (a deleted entry's last byte holds a track number).
  TAGATNAME name = e->AGATNAME;
  if (is_deleted(*e)) name[29] = AGAT_SPACE;
  std::string out = args.value("--output", "");
  if (out.empty() && !png_name_for("", name, out)) {
    core_failed();
    return EXIT_FAILED;
  }
  switch (write_png(out, picture)) {
    case FileIoResult::ok:
      print(host_to_cp1251(out) + "\n");
      return EXIT_DONE;
    case FileIoResult::exists:
      print_error(std::string("файл "_w) + quoted_host(out) + std::string(" уже есть"_w));
      return EXIT_FAILED;
    default:
      print_error(std::string("не удалось записать файл "_w) + quoted_host(out));
      return EXIT_FAILED;
  }
}

}  // namespace

std::vector<Command> picture_commands() {
  return {
      {"png",
       "png ОБРАЗ ИМЯ [--format ФОРМАТ] [--mode РЕЖИМ] [-o ФАЙЛ]"_w,
       "рисунок из образа в PNG-файл"_w,
       {"Сохраняет рисунок ИМЯ текущего каталога образа как PNG-файл, каким его показывает "
        "окно рисунков: образ видеопамяти (файл B или K), экран ZX Spectrum, рисунок Alv "
        "Graf или MouseGraph. Каждая точка рисунка становится прямоугольником точек PNG "
        "своей формы: рисунок MGR 128 x 128 с формой точки 4:3 даёт 512 x 384."_w,
        kept_text(std::string("ФОРМАТ, как у view, говорит, каким рисунком считать файл: "_w) +
                  format_names([](const ContentFormat& f) { return is_picture_format(f.format); }) +
                  std::string("; без --format (auto) формат находится по типу, имени и началу "
                              "файла."_w)),
        "РЕЖИМ выбирает толкование образа видеопамяти: text64n, text64i, text32, lgr7, "
        "mgr, hgr, apple, mgr9, hgr9. Без --mode из режимов, которые выбирает длина данных, "
        "берётся тот, в котором рисунок складывается лучше всего."_w,
        "Без -o файл называется по имени файла Агата с расширением .png и ложится в "
        "текущий каталог; занятое имя не заменяется, а дополняется (ИМЯ~1.png ...). "
        "Существующий ФАЙЛ не заменяется. Имя записанного файла печатается."_w},
       {{"--format", {}, "ФОРМАТ"_w}, {"--mode", {}, "РЕЖИМ"_w}, {"--output", "-o", "ФАЙЛ"_w}},
       2,
       2,
       run_png},
  };
}

std::string_view picture_commands_note() {
  return "";
}

}  // namespace agat
