#include "core/file_chain.h"

#include "core/chain_guard.h"
#include "core/file_control_messages.h"
#include "core/vtoc.h"

namespace agat {

ChainEnd read_file_chain(TMEDIA& MD, std::uint8_t TL, std::uint8_t SL, std::string_view PREFIX,
                         std::string& DAMAGED, FileChain& CHAIN) {
  ChainGuard guard;
  std::size_t used = CHAIN.pairs.size();  // up to the last pair that names a sector
  ChainEnd end = ChainEnd::whole;
  for (TSREF at{TL, SL}; at.TR != 0;) {
    if (DSKAREATEST(PREFIX, DAMAGED, at.TR, at.SC, MD) != 0) {
      end = ChainEnd::broken;
      break;
    }
    if (!guard.visit(at.TR, at.SC, PREFIX, FC_CRITICALERRORBUFFER)) {
      end = ChainEnd::looped;
      break;
    }
    CHAIN.lists.push_back(at);
    const TTSLSECTOR& list = as<TTSLSECTOR>(MD.MASS[at.TR][at.SC]);
    for (const auto& pair : list.TSL) {
      CHAIN.pairs.push_back({pair[0], pair[1]});
      if (pair[0] != 0) used = CHAIN.pairs.size();
    }
    at = {list.TE, list.SE};
  }
  CHAIN.pairs.resize(used);
  return end;
}

}  // namespace agat
