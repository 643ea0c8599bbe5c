// The disk bytes of the 140 KB nibble data fields: the 64 valid ones that carry six-bit
// values, and the way back from a byte read to its value.
#pragma once

#include <array>
#include <cstdint>

namespace agat {

// The 64 valid disk bytes in ascending order: six-bit value -> disk byte.
inline constexpr std::array<std::uint8_t, 64> TABLW = {
    0x96, 0x97, 0x9A, 0x9B, 0x9D, 0x9E, 0x9F, 0xA6, 0xA7, 0xAB, 0xAC, 0xAD, 0xAE, 0xAF, 0xB2, 0xB3,
    0xB4, 0xB5, 0xB6, 0xB7, 0xB9, 0xBA, 0xBB, 0xBC, 0xBD, 0xBE, 0xBF, 0xCB, 0xCD, 0xCE, 0xCF, 0xD3,
    0xD6, 0xD7, 0xD9, 0xDA, 0xDB, 0xDC, 0xDD, 0xDE, 0xDF, 0xE5, 0xE6, 0xE7, 0xE9, 0xEA, 0xEB, 0xEC,
    0xED, 0xEE, 0xEF, 0xF2, 0xF3, 0xF4, 0xF5, 0xF6, 0xF7, 0xF9, 0xFA, 0xFB, 0xFC, 0xFD, 0xFE, 0xFF};

// The lowest valid disk byte: a data field that holds a byte below it fails, as such a byte
// has no value at all.
inline constexpr std::uint8_t LOWEST_DISK_BYTE = 0x96;

// Disk byte -> six-bit value. The 42 bytes of $96..$FF that are not valid disk bytes
// stand for themselves: a field holding one nearly always fails its checksum. The bytes
// below $96 give 0.
inline constexpr std::array<std::uint8_t, 256> TABLR = [] {
  std::array<std::uint8_t, 256> t{};
  for (int b = LOWEST_DISK_BYTE; b < 256; ++b) t[b] = static_cast<std::uint8_t>(b);
  for (int v = 0; v < 64; ++v) t[TABLW[v]] = static_cast<std::uint8_t>(v);
  return t;
}();

}  // namespace agat
