// The reason of a failed host file operation, in Russian, for the messages that report
// the failure.
#pragma once

#include <string>

namespace agat {

// The reason (Windows-1251) for the errno value ERROR: "на диске нет места", "нет
// доступа" and the like; a value without a wording of its own gives its number.
std::string host_error_text(int error);

// The reason of a failed read: host_error_text, or for 0 that the file ended before the
// length it had when it was opened (a read without an errno value).
std::string host_read_error_text(int error);

// " (reason)" to add to a message, or "" when ERROR is 0 (no reason known).
std::string host_error_suffix(int error);

}  // namespace agat
