// The CRC-32 of zip over long runs of bytes. Where the processor multiplies without carries
// (PCLMULQDQ), the bytes are folded 64 at a time into a 128-bit remainder of the same CRC and
// zlib's routine finishes the last few bytes; the choice is made at run time, so the programs
// still run on every processor of the family, and zlib's routine alone serves the others.
#pragma once

#include <cstddef>
#include <cstdint>

namespace agat {

// CRC (as zlib's crc32 takes and answers it) carried on over SIZE bytes from BYTES.
using Crc32 = std::uint32_t (*)(std::uint32_t crc, const std::uint8_t* bytes, std::size_t size);

// The folding path when this processor and this build have one, else nullptr.
Crc32 wide_crc32();

}  // namespace agat
