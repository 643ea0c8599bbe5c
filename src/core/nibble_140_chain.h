// The 342 six-bit values of a 140 KB nibble data field lie on the track chained: each goes
// out xor-ed with the one before it. Undoing the chain is a prefix exclusive or of the table
// values of the bytes read. The path every x86-64 processor runs takes eight bytes at a time
// in a 64-bit word; a wide path (AVX2, 32 bytes at a time) is chosen at run time where the
// processor has it, so the programs still run on every x86-64 processor. Both give the same
// values for any bytes, valid disk bytes or not.
#pragma once

#include <cstdint>

namespace agat {

// The chained values of a data field; its checksum byte follows them.
inline constexpr int NIB140_CHAINED = 342;

// Undoes the chain of the NIB140_CHAINED bytes from BYTES on into VALUES: value j is the
// exclusive or of the table values (TABLR) of bytes 0..j. Answers the last value, which the
// checksum byte after them must give. Reads no byte past the NIB140_CHAINED.
using Unchain = std::uint8_t (*)(const std::uint8_t* bytes, std::uint8_t* values);

// The path of every processor: eight values at a time in a 64-bit word.
std::uint8_t unchain_words(const std::uint8_t* bytes, std::uint8_t* values);

// The wide path when this processor and this build have one, else nullptr.
Unchain wide_unchain();

// The path this processor runs: the wide one where there is one.
Unchain unchain();

}  // namespace agat
