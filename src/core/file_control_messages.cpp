#include "core/file_control_messages.h"

namespace agat {

std::string FC_CRITICALERRORBUFFER;
std::string FC_WARNINGBUFFER;

void append_message(std::string& buffer, std::string_view text) {
  buffer += text;
  buffer += CRLF;
}

}  // namespace agat
