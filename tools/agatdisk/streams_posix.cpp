#include "streams.h"

#include <unistd.h>

namespace agat {

void prepare_standard_streams() {}

bool is_terminal(std::FILE* stream) {
  return ::isatty(::fileno(stream)) != 0;
}

void write_text(std::FILE* stream, std::string_view utf8) {
  std::fwrite(utf8.data(), 1, utf8.size(), stream);
}

}  // namespace agat
