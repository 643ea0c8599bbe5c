// AppleSingle (version 2, as the 6502 cross compilers write their programs; version 1 has the
// same layout): a head with the signature 00 05 16 00, a table of entries, and the entries.
// Of an Agat binary it carries the code as the data fork and the load address as the aux type
// of the ProDOS file-info entry. All numbers are big-endian.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "content/host_containers.h"

namespace agat {

// Whether the file starts with the AppleSingle signature.
bool is_apple_single(std::string_view file);

// Reads the file: the data fork as the code, the ProDOS aux type as the address, the other
// entries named with their numbers. False, with the reason (Windows-1251) in WHY, for a file
// without the signature or of another version, with an entry that reaches past its end, without a
// data fork, with two data forks or file-info entries, or with an aux type over $FFFF.
bool unpack_apple_single(std::string_view file, ContainedCode& out, std::string& why);

// A version 2 file of two entries: the ProDOS file info (access $C3, type $06, aux type
// ADDRESS) and CODE as the data fork.
std::string pack_apple_single(std::string_view code, std::uint16_t address);

}  // namespace agat
