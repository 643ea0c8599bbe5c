// Reading pictures bit by bit and two bits at a time from a loaded file, never past its
// end: a bit beyond the file is unlit, a pair beyond it black.
#pragma once

#include <array>
#include <cstdint>

namespace agat {

// The colours of the two-bit pixels of the four-colour mode: black, red, green, blue.
inline constexpr std::array<std::uint8_t, 4> PAL = {0, 9, 10, 12};

struct TBITREADER {
  const std::uint8_t* BUF = nullptr;
  std::int32_t END = 0;         // bytes of BUF that were loaded
  std::int32_t BYTECNT = 0;     // the byte being read
  std::uint8_t BITMASK = 0x80;  // its current bit, leftmost first
  std::uint8_t BITGROUP = 6;    // the shift of its current two-bit group

  // Starts again at byte START, bit 7, group 6.
  void reset(std::int32_t START) {
    BYTECNT = START;
    BITMASK = 0x80;
    BITGROUP = 6;
  }

  // The current bit of the byte EXTRA bytes after the current one; ADVANCE then moves to the
  // next bit (after bit 0, to bit 7 of the next byte).
  bool GETPIX(std::int32_t EXTRA, bool ADVANCE) {
    const bool lit = (byte(BYTECNT + EXTRA) & BITMASK) != 0;
    if (ADVANCE) {
      BITMASK = static_cast<std::uint8_t>(BITMASK >> 1);
      if (BITMASK == 0) {
        BITMASK = 0x80;
        ++BYTECNT;
      }
    }
    return lit;
  }

  // The palette index of the current two-bit group of the byte EXTRA bytes on; ADVANCE
  // then moves to the next group (after bits 1-0, to bits 7-6 of the next byte).
  std::uint8_t GETPIX2(std::int32_t EXTRA, bool ADVANCE) {
    const std::uint8_t value = (byte(BYTECNT + EXTRA) >> BITGROUP) & 3;
    if (ADVANCE) {
      if (BITGROUP == 0) {
        BITGROUP = 6;
        ++BYTECNT;
      } else {
        BITGROUP = static_cast<std::uint8_t>(BITGROUP - 2);
      }
    }
    return PAL[value];
  }

 private:
  std::uint8_t byte(std::int32_t at) const { return at >= 0 && at < END ? BUF[at] : 0; }
};

}  // namespace agat
