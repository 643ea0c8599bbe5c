// The host files that exports write and imports read. A failure never leaves a partial
// file and always reaches the user: a critical message (the error report shows it) that
// names the file and says why, and false for the caller.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace agat {

// Writes DATA as the host file NM: a new file, or a complete replacement of an existing
// one (its permissions kept). OPERATION opens the message ("Экспорт файла").
bool write_host_file(const std::string& NM, std::string_view DATA, std::string_view OPERATION);

// Reads the whole host file NM into DATA. A file longer than LIMIT bytes is refused
// unread, with a message that gives its size.
bool read_host_file(const std::string& NM, std::uint64_t LIMIT, std::string& DATA,
                    std::string_view OPERATION);

// Host text as Windows-1251: UTF-8 (a leading byte-order mark dropped) is converted, a
// character the code page lacks becoming "?"; text that is not valid UTF-8 is taken as
// Windows-1251 already.
std::string text_from_host(std::string_view host);

}  // namespace agat
