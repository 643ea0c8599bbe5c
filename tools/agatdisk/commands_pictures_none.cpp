// The part of the pictures in a build without PNG files (the Windows build: there is no
// libpng for it), which says so in the list of commands.
#include "commands.h"
#include "core/cp1251_literal.h"

namespace agat {

std::vector<Command> picture_commands() {
  return {};
}

std::string_view picture_commands_note() {
  return "\nКоманды png в сборке для Windows нет: рисунки в PNG-файлы сохраняет сборка для\n"
         "Linux.\n"_w;
}

}  // namespace agat
