#include "streams.h"

namespace agat {

void prepare_standard_streams() {}

void write_text(std::FILE* stream, std::string_view utf8) {
  std::fwrite(utf8.data(), 1, utf8.size(), stream);
}

}  // namespace agat
