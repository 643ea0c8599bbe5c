// Processors without a wide path of their own: every track takes the word path.
#include "core/nibble_140_chain.h"

namespace agat {

Unchain wide_unchain() {
  return nullptr;
}

}  // namespace agat
