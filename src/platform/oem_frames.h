// The frame characters of the DOS code page that windows are drawn with, as Unicode.
#pragma once

#include <cstdint>

namespace agat {

// The single-line box characters of code page 866 (and 437); any other code gives "?".
constexpr char32_t unicode_from_oem(std::uint8_t b) {
  switch (b) {
    case 0xB3:
      return U'│';
    case 0xC4:
      return U'─';
    case 0xDA:
      return U'┌';
    case 0xBF:
      return U'┐';
    case 0xC0:
      return U'└';
    case 0xD9:
      return U'┘';
    case 0xC3:
      return U'├';
    case 0xB4:
      return U'┤';
    case 0xC2:
      return U'┬';
    case 0xC1:
      return U'┴';
    case 0xC5:
      return U'┼';
    default:
      return b < 0x80 ? static_cast<char32_t>(b) : U'?';
  }
}

}  // namespace agat
