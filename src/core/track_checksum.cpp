#include "core/track_checksum.h"

namespace agat {

// The sum runs as: before each byte, an accumulator above 255 becomes (accumulator + 1)
// and 255; then the byte is added; the result is the low byte. Before the last byte the
// accumulator is thus the end-around-carry sum of the first 255 bytes: congruent to their
// plain sum modulo 255, and in 1..255 unless every byte was 0. Taking it from the plain sum
// spares the carry test after every byte. The sum runs over all 256 bytes and then gives
// the last one back: a loop over the whole sector becomes vector code at every optimisation
// level, one over 255 bytes stays a byte at a time below the highest.
std::uint8_t CALCCRC(SectorBytes D) {
  unsigned sum = 0;
  for (const std::uint8_t b : D) sum += b;
  sum -= D.back();
  const unsigned before_last = sum == 0 ? 0 : (sum - 1) % 255 + 1;
  return static_cast<std::uint8_t>(before_last + D.back());  // the last carry is dropped
}

}  // namespace agat

namespace agat {

std::uint8_t xor_checksum(SectorBytes D) {
  std::uint8_t x = 0;
  for (const std::uint8_t b : D) x ^= b;
  return x;
}

std::uint8_t sector_checksum(SectorBytes D, std::uint8_t odd) {
  return (odd & ODD_XOR_SUM) != 0 ? xor_checksum(D) : CALCCRC(D);
}

// The sum is tried first: a sector whose two checksums agree is a standard one.
bool checksum_holds(SectorBytes D, std::uint16_t stored, std::uint8_t& odd) {
  if (stored == CALCCRC(D)) return true;
  if (stored != xor_checksum(D)) return false;
  odd |= ODD_XOR_SUM;
  return true;
}

}  // namespace agat
