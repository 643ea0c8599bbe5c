#include "content/host_text.h"

namespace agat {

const std::string_view SCCRLF = "\r\n";

std::string host_text(std::string_view cp1251) {
  return std::string(cp1251);
}

}  // namespace agat
