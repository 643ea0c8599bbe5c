// agatdisk: disk images of the Agat from the command line, for scripts.
//
//   agatdisk COMMAND ARGS...
//
// Each command opens an image as a panel would, calls the disk core once or twice and
// shows the answer: the listing, the file, the comparison report, and the core's messages
// on standard error. The exit status says how it went (ExitStatus).

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "commands.h"
#include "core/cp1251_literal.h"
#include "core/host_arguments.h"
#include "image_access.h"
#include "streams.h"
#include "terminal.h"
#include "version/program_version.h"

namespace agat {

namespace {

constexpr std::size_t kSummaryColumn = 44;

void print_overview() {
  std::string text = std::string(
      "agatdisk — образы дисков Агата из командной строки\n"
      "\n"
      "Вызов: agatdisk КОМАНДА АРГУМЕНТЫ...\n"
      "       agatdisk КОМАНДА --help   подробно об одной команде\n"
      "       agatdisk --version        версия программы\n"
      "\n"
      "Команды:\n"_w);
  for (const Command& c : command_table()) {
    std::string line = "  " + std::string(c.synopsis);
    // The summary goes in a column of its own, or under a synopsis too long for it.
    line += line.size() + 2 <= kSummaryColumn ? std::string(kSummaryColumn - line.size(), ' ')
                                              : "\n" + std::string(kSummaryColumn, ' ');
    text += line + std::string(c.summary) + "\n";
  }
  text += std::string(
      "\n"
      "ОБРАЗ — файл образа диска; его форма узнаётся по размеру: 143360, 143364, 143488\n"
      "(140 К, без эпилога, с эпилогом 4 или 128 байт), 232960 (140 К, nibble), 860160,\n"
      "860164, 860288 (800 К), 947520 (800 К, nibble), 2068480 (800 К, AIM), 860416\n"
      "(800 К после 256-байтного заголовка эмулятора, если он начинается с его подписи);\n"
      "образы HFE и MFI (800 К) узнаются по подписи в начале файла при любом размере.\n"
      "ИМЯ — имя файла или BTK-каталога Агата в текущем каталоге образа, в UTF-8; оно\n"
      "переводится в коды Агата и дополняется пробелами до 30 знаков. Большие и малые буквы\n"
      "различаются. Имена в выводе — без пробелов в конце; имя так, как его показывает list,\n"
      "тоже находит свою запись.\n"
      "\n"
      "Выход: 0 — сделано; 1 — не удалось (ядро сообщило о критической ошибке, нет файла,\n"
      "файл не образ...), сообщения — в стандартном потоке ошибок, как и предупреждения;\n"
      "2 — ошибка в вызове; 3 — cmp или diff нашли различия, check — повреждения.\n"_w);
  text += picture_commands_note();
  print(text);
}

void print_command_help(const Command& c) {
  std::string text = std::string("agatdisk ") + std::string(c.synopsis) + "\n";
  for (std::string_view paragraph : c.details) {
    text += "\n";
    // Paragraphs are wrapped at word boundaries to 78 columns.
    std::string line;
    std::size_t start = 0;
    while (start < paragraph.size()) {
      std::size_t end = paragraph.find(' ', start);
      if (end == std::string_view::npos) end = paragraph.size();
      const std::string_view word = paragraph.substr(start, end - start);
      // A dash stays at the end of its line rather than start the next.
      const bool dash = word == "—"_w;
      if (!line.empty() && !dash && line.size() + 1 + word.size() > 78) {
        text += line + "\n";
        line.clear();
      }
      if (!line.empty()) line += ' ';
      line += word;
      start = end + 1;
    }
    text += line + "\n";
  }
  text += std::string("\nОбразы, имена, коды выхода: agatdisk --help\n"_w);
  print(text);
}

int usage_error(const Command* c, std::string_view message) {
  print_error(message);
  if (c != nullptr) {
    print_error(std::string("вызов: agatdisk "_w) + std::string(c->synopsis));
    print_error(std::string("подробнее: agatdisk "_w) + std::string(c->name) + " --help");
  } else {
    print_error("вызов: agatdisk КОМАНДА АРГУМЕНТЫ...; список команд: agatdisk --help"_w);
  }
  return EXIT_USAGE;
}

int run(std::span<const std::string> words) {
  if (words.empty()) return usage_error(nullptr, "не задана команда"_w);
  const std::string& name = words[0];
  if (name == "--help" || name == "-h" || name == "help") {
    print_overview();
    return EXIT_DONE;
  }
  if (asks_for_version(words)) {
    print(version_line("agatdisk") + "\n");
    return EXIT_DONE;
  }
  const Command* command = nullptr;
  for (const Command& c : command_table())
    if (name == c.name) command = &c;
  if (command == nullptr)
    return usage_error(nullptr, std::string("неизвестная команда "_w) + quoted_host(name));

  ParsedArgs args;
  std::string error;
  if (!parse_arguments(words.subspan(1), command->options, args, error))
    return usage_error(command, error);
  if (args.help) {
    print_command_help(*command);
    return EXIT_DONE;
  }
  if (args.operands.size() < command->min_operands)
    return usage_error(command, "не хватает аргументов"_w);
  if (args.operands.size() > command->max_operands)
    return usage_error(command, std::string("лишний аргумент "_w) +
                                    quoted_host(args.operands[command->max_operands]));
  std::optional<ImageLock> lock;
  if (!lock_for_command(command->name, args.operands.empty() ? "" : args.operands[0], lock))
    return EXIT_FAILED;
  try {
    return command->run(args);
  } catch (const UsageError& e) {
    return usage_error(command, e.message);
  }
}

}  // namespace

}  // namespace agat

int main(int argc, char** argv) {
  agat::prepare_standard_streams();
  const std::vector<std::string> words = agat::program_arguments(argc, argv);
  return agat::run(words);
}
