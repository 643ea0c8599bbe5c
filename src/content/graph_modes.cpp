#include "content/graph_modes.h"

namespace agat {

// The names keep their inner double blanks: they line up in the window.
const std::array<TFGFDESC, GRAPHIC_FORMAT_COUNT> FGFDESC = {{
    {2048, 512, 256, 2, 3, "Text 64 normal", FGFMGR9, FGFMGR, FGFLGR7, FGFTEXT64I},
    {2048, 512, 256, 2, 3, "Text 64 inverse", FGFMGR9, FGFMGR, FGFTEXT64N, FGFTEXT32},
    {2048, 256, 256, 4, 3, "Text 32", FGFMGR9, FGFMGR, FGFTEXT64I, FGFLGR7},
    {2048, 64, 64, 4, 3, " GR7  64 x  64 x 16", FGFMGR9, FGFMGR, FGFTEXT32, FGFTEXT64N},
    {8192, 128, 128, 4, 3, "MGR  128 x 128 x 16", FGFTEXT64N, FGFMGR9, FGFAPPLE, FGFHGR},
    {8192, 256, 256, 4, 3, "HGR  256 x 256 x  2", FGFTEXT64N, FGFMGR9, FGFMGR, FGFAPPLE},
    {0, 280, 192, 1, 1, "Apple 280 x 192", FGFTEXT64N, FGFMGR9, FGFHGR, FGFMGR},
    {16384, 256, 256, 4, 3, "MGR9 256 x 256 x  4", FGFMGR, FGFTEXT64N, FGFHGR9, FGFHGR9},
    {16384, 512, 256, 2, 3, "HGR9 512 x 256 x  2", FGFMGR, FGFTEXT64N, FGFMGR9, FGFMGR9},
}};

TFILEGFORMAT GP_DETECTSUBFORMAT(std::uint32_t SIZE) {
  // A size of 0 marks the modes that only the keys reach; no file selects them.
  for (int m = 0; m < GRAPHIC_FORMAT_COUNT; ++m)
    if (SIZE != 0 && FGFDESC[static_cast<std::size_t>(m)].SZ == SIZE)
      return static_cast<TFILEGFORMAT>(m);
  return FGFMGR;
}

}  // namespace agat
