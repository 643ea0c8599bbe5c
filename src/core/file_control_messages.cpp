#include "core/file_control_messages.h"

namespace agat {

thread_local std::string FC_CRITICALERRORBUFFER;
thread_local std::string FC_WARNINGBUFFER;

void append_message(std::string& buffer, std::string_view text) {
  buffer += text;
  buffer += CRLF;
}

}  // namespace agat
