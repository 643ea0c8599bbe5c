#include "command_line.h"

#include "core/cp1251_literal.h"
#include "terminal.h"

namespace agat {

std::string ParsedArgs::value(std::string_view option, const std::string& fallback) const {
  const auto it = options.find(option);
  return it == options.end() ? fallback : it->second;
}

bool parse_arguments(std::span<const std::string> args, std::span<const Option> known,
                     ParsedArgs& parsed, std::string& error) {
  bool options_end = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& word = args[i];
    // A lone "-" is an operand, as are all words after "--".
    if (options_end || word.size() < 2 || word[0] != '-') {
      parsed.operands.push_back(word);
      continue;
    }
    if (word == "--") {
      options_end = true;
      continue;
    }
    if (word == "-h" || word == "--help") {
      parsed.help = true;
      continue;
    }
    const auto equals = word.find('=');
    const std::string_view given = std::string_view(word).substr(0, equals);
    const Option* option = nullptr;
    for (const Option& o : known)
      if (given == o.name || (!o.alias.empty() && given == o.alias)) option = &o;
    if (option == nullptr) {
      error = std::string("неизвестный ключ "_w) + quoted_host(given);
      return false;
    }
    std::string value;
    if (option->value.empty()) {
      if (equals != std::string::npos) {
        error = std::string("ключ "_w) + std::string(option->name) +
                std::string(" не принимает значения"_w);
        return false;
      }
    } else if (equals != std::string::npos) {
      value = word.substr(equals + 1);
    } else if (i + 1 < args.size()) {
      value = args[++i];
    } else {
      error = std::string("после ключа "_w) + std::string(option->name) + std::string(" нужно "_w) +
              std::string(option->value);
      return false;
    }
    parsed.options[std::string(option->name)] = value;
  }
  return true;
}

}  // namespace agat
