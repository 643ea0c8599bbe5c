// Declarations shared by the picture decoders and the graphics window: the keys a
// picture may offer with their hint texts.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace agat {

// The keys the graphics window accepts and comments on.
enum TINTKEYCODE : std::uint8_t {
  IKCESCAPE = 0,
  IKCUP = 1,
  IKCDN = 2,
  IKCLF = 3,
  IKCRG = 4,
  IKCRETURN = 5,
  IKCR = 6,  // no key: nothing has been accepted yet
};

// One hint text per key, indexed by TINTKEYCODE; null when the picture does not offer
// the key. The texts belong to whoever fills the table.
using TINTKEYCOMMENTS = std::array<const char*, IKCR + 1>;

// Offers no key at all: every entry becomes null.
inline void CLEARIKC(TINTKEYCOMMENTS& AR) {
  AR.fill(nullptr);
}

}  // namespace agat
