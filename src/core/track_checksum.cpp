#include "core/track_checksum.h"

namespace agat {

std::uint8_t CALCCRC(const TSECTOR& D) {
  unsigned acc = 0;
  for (const std::uint8_t b : D) {
    if (acc > 0xFF) acc = (acc + 1) & 0xFF;  // the carry of the previous addition comes back
    acc += b;
  }
  return static_cast<std::uint8_t>(acc);  // the carry of the last addition is dropped
}

}  // namespace agat
