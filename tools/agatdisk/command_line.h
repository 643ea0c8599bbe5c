// The arguments of one agatdisk command: operands and options, checked against the
// options that command knows.
#pragma once

#include <map>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace agat {

struct Option {
  std::string_view name;   // "--name"
  std::string_view alias;  // "-o", or empty
  std::string_view value;  // the placeholder of its value (Windows-1251); empty for a flag
};

struct ParsedArgs {
  std::vector<std::string> operands;
  std::map<std::string, std::string, std::less<>> options;  // by name; "" for a flag
  bool help = false;

  bool has(std::string_view option) const { return options.count(option) != 0; }
  // The value of an option, or `fallback` when it was not given. A copy, so that a
  // temporary fallback never leaves a dangling reference behind.
  std::string value(std::string_view option, const std::string& fallback) const;
};

// Sorts `args` (the words after the command) into operands and options. "-h" and "--help"
// ask for help; "--" makes every later word an operand; an option's value follows it as
// the next word or after "=". False, with a Windows-1251 message in `error`, for an
// unknown option, a missing value or a value given to a flag.
bool parse_arguments(std::span<const std::string> args, std::span<const Option> known,
                     ParsedArgs& parsed, std::string& error);

}  // namespace agat
