// Remembers the sectors a walk along on-disk links has visited, so that a chain that
// loops back on itself ends the walk with a message instead of never ending.
#pragma once

#include <bitset>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/world_formats.h"

namespace agat {

class ChainGuard {
 public:
  // False when TR/SC was visited before; then a message starting with `prefix` goes
  // into `buffer`. References must already be on the medium.
  bool visit(std::uint8_t TR, std::uint8_t SC, std::string_view prefix, std::string& buffer);
  bool seen(std::uint8_t TR, std::uint8_t SC) const { return seen_[index(TR, SC)]; }
  void clear() { seen_.reset(); }

 private:
  static std::size_t index(std::uint8_t TR, std::uint8_t SC) {
    return std::size_t{TR} * (MAXSECTOR + 1) + SC;
  }
  std::bitset<(MAXTRACK + 1) * (MAXSECTOR + 1)> seen_;
};

}  // namespace agat
