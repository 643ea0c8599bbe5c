// The commands of agatdisk: what each takes, its help, and the procedure that runs it.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "command_line.h"

namespace agat {

enum ExitStatus : int {
  EXIT_DONE = 0,
  EXIT_FAILED = 1,     // the operation failed; the messages are on standard error
  EXIT_USAGE = 2,      // the command line does not fit the command
  EXIT_DIFFERENT = 3,  // cmp, diff: the images or the files differ
  EXIT_DAMAGED = 3,    // check: the image is damaged (3 as cmp uses it for "different")
  EXIT_NO_DOS = 4,     // check: the disk holds no DOS catalog, neither sound nor damaged
};

// Thrown by a command that finds an operand or an option value it cannot take; the
// program shows the message (Windows-1251) with the command's usage line.
struct UsageError {
  std::string message;
};

struct Command {
  std::string_view name;
  std::string_view synopsis;              // Windows-1251, after "agatdisk "
  std::string_view summary;               // one line for the list of commands
  std::vector<std::string_view> details;  // paragraphs of the command's own help
  std::vector<Option> options;
  std::size_t min_operands;
  std::size_t max_operands;
  int (*run)(const ParsedArgs& args);
};

// Every command, in the order of the list of commands.
std::span<const Command> command_table();

// The parts of the table, one per topic, each in its own file.
std::vector<Command> catalog_commands();  // list, get, put, rm, undelete, lock, unlock, mkdir, cd
std::vector<Command> image_commands();    // new, convert
std::vector<Command> compare_commands();  // cmp, diff
std::vector<Command> check_commands();    // check, recover
std::vector<Command> picture_commands();  // png
std::vector<Command> content_commands();  // info, view, export, import
std::vector<Command> collection_commands();  // index
// What the build leaves out of the pictures' part, for the end of the list of commands
// ("" when nothing is left out).
std::string_view picture_commands_note();

}  // namespace agat
