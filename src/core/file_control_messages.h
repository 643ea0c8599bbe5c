// The two message buffers of the media core. Core operations never print and never
// throw: they append a Windows-1251 message followed by CR LF to one of these and
// return at most a boolean. Critical errors stop the operation at hand; warnings
// record something skipped or corrected while it went on. The error report shows
// both buffers and empties them. Each thread has buffers of its own, so that several
// images can be read at once (agatdisk index --jobs).
#pragma once

#include <string>
#include <string_view>

namespace agat {

extern thread_local std::string FC_CRITICALERRORBUFFER;
extern thread_local std::string FC_WARNINGBUFFER;

inline constexpr std::string_view CRLF = "\r\n";

// Appends a message and its CR LF.
void append_message(std::string& buffer, std::string_view text);
inline void report_critical(std::string_view text) {
  append_message(FC_CRITICALERRORBUFFER, text);
}
inline void report_warning(std::string_view text) {
  append_message(FC_WARNINGBUFFER, text);
}

}  // namespace agat
