#include "content/host_text.h"

namespace agat {

std::string host_text_lines(std::string_view cp1251) {
  std::string lines;
  lines.reserve(cp1251.size() + cp1251.size() / 16);
  for (const char c : cp1251) {
    if (c == '\r') continue;
    if (c == '\n') {
      lines += SCCRLF;
    } else {
      lines += c;
    }
  }
  return host_text(lines);
}

}  // namespace agat
