// The interpretations of an Agat video-memory image: the data size that selects each, the
// size and pixel shape of its picture, its name, and the mode each arrow key leads to.
#pragma once

#include <array>
#include <cstdint>

#include "content/format_defines.h"

namespace agat {

struct TFGFDESC {
  std::uint32_t SZ;  // the data size that selects this mode (0: chosen by the keys only)
  std::int32_t W, H;
  std::int32_t PSW, PSH;
  const char* NM;
  TFILEGFORMAT NEARUP, NEARDN, NEARLF, NEARRG;
};

extern const std::array<TFGFDESC, GRAPHIC_FORMAT_COUNT> FGFDESC;

// The first mode, in table order, whose size is SIZE; FGFMGR when none is.
TFILEGFORMAT GP_DETECTSUBFORMAT(std::uint32_t SIZE);

}  // namespace agat
