// The chain of T/S lists of a file in an image, and the places of its data. Every list of
// the chain is followed, each once. A pair whose track is 0 is a hole, not the end: random-
// access text files leave holes, and the data after a hole is still the file's. The file's
// data runs to the last pair of the whole chain that names a sector; each pair before it
// stands for 256 bytes at its place in the file (a hole for zeros).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/world_formats.h"

namespace agat {

struct FileChain {
  std::vector<TSREF> lists;  // the T/S lists, in chain order
  std::vector<TSREF> pairs;  // pair I holds the file's bytes I x 256 ..; track 0: a hole
};

enum class ChainEnd {
  whole,   // the last list links nowhere
  broken,  // a list off the medium or unreadable: the message went to `damaged`
  looped,  // the chain comes back to a list: the message went to the critical buffer
};

// Follows the chain from tl/sl. A list off the medium or unreadable ends it with a message
// in `damaged` that starts with `prefix`; what came before it is kept in `chain`.
ChainEnd read_file_chain(TMEDIA& MD, std::uint8_t TL, std::uint8_t SL, std::string_view PREFIX,
                         std::string& DAMAGED, FileChain& CHAIN);

// Calls `sector(t, s)` for each list of the chain and each sector on the medium that its
// pairs name (holes and pairs off the medium are passed over).
template <class Sector>
void for_chain_sectors(const TMEDIA& md, const FileChain& chain, Sector sector) {
  for (const TSREF& at : chain.lists) sector(at.TR, at.SC);
  for (const TSREF& at : chain.pairs)
    if (at.TR != 0 && at.TR <= md.NUMTR && at.SC <= md.NUMSC) sector(at.TR, at.SC);
}

}  // namespace agat
