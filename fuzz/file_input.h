// An Agat file described by a fuzzer's input: the bytes of a ".FIL" file (a 40-byte head of
// name, T/S-list bytes and type, then the data; a short head reads as zeros), put where the
// content modules find a file that load_content loaded: the entry, and the data in the file
// buffer, followed by four zero bytes; the bytes past those are forbidden to read
// (fuzz/poison.h).
#pragma once

#include <cstdint>
#include <span>

#include "core/world_formats.h"

namespace agat::fuzz {

inline constexpr std::size_t FIL_HEAD = sizeof(TFILHEADER);

// The buffer of the file last loaded.
TFILEBUF& loaded_buffer();

// Loads FIL into loaded_buffer() and answers its entry (an Agat file of a host medium).
TCATREC load_file_input(std::span<const std::uint8_t> fil);

}  // namespace agat::fuzz
