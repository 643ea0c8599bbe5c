#include "core/chain_guard.h"

#include "core/cp1251_literal.h"
#include "core/file_control_messages.h"

namespace agat {

bool ChainGuard::visit(std::uint8_t TR, std::uint8_t SC, std::string_view prefix,
                       std::string& buffer) {
  if (TR > MAXTRACK || SC > MAXSECTOR) return true;  // range is the caller's check
  if (seen_[index(TR, SC)]) {
    buffer += prefix;
    append_message(buffer, std::string(": цепочка секторов замкнута в кольцо на секторе "_w) +
                               std::to_string(TR) + "/" + std::to_string(SC));
    return false;
  }
  seen_[index(TR, SC)] = true;
  return true;
}

}  // namespace agat
