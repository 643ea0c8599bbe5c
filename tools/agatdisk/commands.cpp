#include "commands.h"

namespace agat {

std::span<const Command> command_table() {
  static const std::vector<Command> table = [] {
    std::vector<Command> all;
    for (auto part : {catalog_commands, content_commands, image_commands, compare_commands,
                      check_commands, picture_commands, collection_commands}) {
      std::vector<Command> commands = part();
      all.insert(all.end(), commands.begin(), commands.end());
    }
    return all;
  }();
  return table;
}

}  // namespace agat
