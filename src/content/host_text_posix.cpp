#include "content/host_text.h"

#include "core/cp1251.h"

namespace agat {

const std::string_view SCCRLF = "\n";

std::string host_text(std::string_view cp1251) {
  return cp1251_to_host(cp1251);
}

}  // namespace agat
