#include "core/nibble_140_chain.h"

#include <cstring>

#include "core/nibble_140_tables.h"

namespace agat {

// The table values of eight bytes go into one word, lowest byte first; three shifts and
// exclusive ors make each byte of the word the exclusive or of itself and all bytes below
// it, and the last value of the word before, copied into every byte, carries the chain on.
std::uint8_t unchain_words(const std::uint8_t* bytes, std::uint8_t* values) {
  constexpr std::uint64_t kEveryByte = 0x0101010101010101ull;
  std::uint64_t carry = 0;
  int j = 0;
  for (; j + 8 <= NIB140_CHAINED; j += 8) {
    std::uint64_t w = 0;
    for (int k = 0; k < 8; ++k) w |= static_cast<std::uint64_t>(TABLR[bytes[j + k]]) << (8 * k);
    w ^= w << 8;
    w ^= w << 16;
    w ^= w << 32;
    w ^= carry;
    std::memcpy(values + j, &w, sizeof w);
    carry = (w >> 56) * kEveryByte;
  }
  auto R = static_cast<std::uint8_t>(carry);
  for (; j < NIB140_CHAINED; ++j) {
    R ^= TABLR[bytes[j]];
    values[j] = R;
  }
  return R;
}

Unchain unchain() {
  static const Unchain chosen = wide_unchain() != nullptr ? wide_unchain() : unchain_words;
  return chosen;
}

}  // namespace agat
