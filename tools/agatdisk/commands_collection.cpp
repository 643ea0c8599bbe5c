// The command on whole collections of images: index, the catalogue of every image under
// some folders, with the duplicates among them.
#include <algorithm>
#include <cstdio>
#include <limits>
#include <map>
#include <optional>
#include <string>
#include <thread>

#include "command_support.h"
#include "commands.h"
#include "core/cp1251_literal.h"
#include "index_collection.h"
#include "index_html.h"
#include "index_json.h"
#include "streams.h"
#include "terminal.h"

namespace agat {

namespace {

constexpr unsigned kMaxJobs = 256;

unsigned jobs_option(const ParsedArgs& args) {
  if (!args.has("--jobs")) return std::max(1u, std::thread::hardware_concurrency());
  const std::string given = args.value("--jobs", "");
  unsigned jobs = 0;
  if (given.empty() || given.size() > 3 ||
      given.find_first_not_of("0123456789") != std::string::npos ||
      (jobs = static_cast<unsigned>(std::stoul(given))) == 0 || jobs > kMaxJobs)
    throw UsageError{std::string("неверное число потоков "_w) + quoted_host(given) +
                     std::string(": нужно от 1 до "_w) + std::to_string(kMaxJobs)};
  return jobs;
}

// A bar on standard error while the files are read, when it is a terminal.
class ProgressBar {
 public:
  ProgressBar() : shown_(is_terminal(stderr)) {}
  void operator()(std::size_t done, std::size_t total) {
    if (!shown_) return;
    const std::size_t width = 40, filled = done * width / total;
    if (filled == last_ && done != total) return;
    last_ = filled;
    write_text(stderr, "\r[" + std::string(filled, '#') + std::string(width - filled, '.') + "] " +
                           std::to_string(done) + "/" + std::to_string(total));
    if (done == total) write_text(stderr, "\n");
  }

 private:
  bool shown_;
  std::size_t last_ = std::numeric_limits<std::size_t>::max();
};

std::string summary(const CollectionIndex& index) {
  std::map<std::string_view, std::size_t> forms;
  for (const IndexedImage& i : index.images)
    if (i.form) ++forms[form_key(i.form)];
  std::string text = std::string("Образов: "_w) + std::to_string(index.images.size());
  std::string list;
  for (const auto& [form, count] : forms)
    list += (list.empty() ? "" : ", ") + std::string(form) + " " + std::to_string(count);
  text += (list.empty() ? "" : " (" + list + ")") + "\n";
  text += std::string("Повреждённых: "_w) + std::to_string(damaged_images(index)) + "\n";
  text += std::string("Не прочитано: "_w) + std::to_string(unread_count(index)) + "\n";
  text += std::string("Пропущено (не образы): "_w) + std::to_string(index.not_images) +
          std::string(", ссылок: "_w) + std::to_string(index.links) + "\n";
  const Duplicates& d = index.duplicates;
  text += std::string("Групп дубликатов: "_w) + std::to_string(d.groups()) +
          std::string(" (один диск: "_w) + std::to_string(d.same_sectors.size()) +
          std::string(", равные занятые секторы: "_w) + std::to_string(d.same_used.size()) +
          std::string(", один файл на нескольких дисках: "_w) +
          std::to_string(d.same_files.size()) + std::string(", близкие копии: "_w) +
          std::to_string(d.near_copies.size()) + ")\n";
  return text;
}

int run_index(const ParsedArgs& args) {
  const unsigned jobs = jobs_option(args);
  std::optional<HtmlCatalogue> html;
  if (args.has("--html") && !html.emplace(args.value("--html", "")).prepare()) return EXIT_FAILED;
  ProgressBar bar;
  const CollectionIndex index = index_collection(
      args.operands, jobs, [&bar](std::size_t done, std::size_t total) { bar(done, total); },
      html ? html->file_pages() : FileVisitor{});
  for (const UnreadFile& u : index.unread) print_error(quoted_host(u.path) + ": " + u.problem);
  bool written = true;
  if (args.has("--json")) {
    const std::string json = index_json(index);
    written = write_host_file(args.value("--json", ""),
                              reinterpret_cast<const std::uint8_t*>(json.data()), json.size());
  }
  if (html) written = html->finish(index) && written;
  print(summary(index));
  return written && index.unread.empty() ? EXIT_DONE : EXIT_FAILED;
}

}  // namespace

std::vector<Command> collection_commands() {
  return {
      {"index",
       "index ПАПКА... [--json ФАЙЛ] [--html ПАПКА] [--jobs N]"_w,
       "каталог собрания образов и дубликаты в нём"_w,
       {"Обходит папки (с вложенными; символические ссылки не проходятся) и читает каждый "
        "образ: форму, размер, имя тома, описание, итог проверки check, все записи "
        "каталогов (и BTK-каталогов, с их путём) с SHA-256 данных файла, как их даёт get, "
        "а также SHA-256 всех секторов образа и секторов, занятых по карте VTOC. Файлы, "
        "которые не образы, пропускаются и считаются."_w,
        "Находит дубликаты: образы с одинаковыми секторами (один диск в разных формах или "
        "под разными именами), образы с равными занятыми секторами, файлы, которые есть на "
        "нескольких дисках, и близкие копии одного диска (те же имена и типы в каталогах, "
        "часть секторов различается; показано число различных секторов)."_w,
        "Печатает итог: число образов по формам, повреждённых, непрочитанных и групп "
        "дубликатов; на терминале, пока образы читаются, в потоке ошибок идёт полоса "
        "хода работы. С --json ФАЙЛ весь указатель пишется одним документом JSON (его "
        "схема — в README); существующий файл заменяется. С --html ПАПКА — каталог из "
        "страниц HTML, которые открываются с диска, без сервера: index.html (образы с "
        "формой, томом, состоянием и дубликатами; сортировка по щелчку на заголовке столбца), "
        "страница каждого образа (каталог, повреждения, ссылки на файлы), страница каждого "
        "прочитанного файла (текст и листинг BASIC — текстом, двоичный файл — байтами с "
        "дизассемблером, рисунок — файлом PNG) и duplicates.html. Каждая страница называет "
        "свой образ."_w,
        "Повреждённые образы не останавливают работу: каждый описан и посчитан, а файл, "
        "который не удалось прочитать, назван с причиной. --jobs N (по умолчанию — число "
        "процессоров) читает образы в N потоков; результат и его порядок от N не зависят. "
        "Выход 1 — какой-то из аргументов не найден или не записан вывод."_w},
       {{"--json", {}, "ФАЙЛ"_w}, {"--html", {}, "ПАПКА"_w}, {"--jobs", {}, "N"}},
       1,
       std::numeric_limits<std::size_t>::max(),
       run_index},
  };
}

}  // namespace agat
