#include "core/world_formats.h"

#include "core/cp1251_literal.h"

namespace agat {

const std::array<TIMAGEDESC, IMAGE_TYPE_COUNT> IMAGEDESC = {{
    {34, 15, 143360, "DSK 140", "Образ 140 К без эпилога"_w},
    {34, 15, 143364, "DSK 140", "Образ 140 К + 4 байта эпилог"_w},
    {34, 15, 143488, "DSK 140", "Образ 140 К + 128 байт эпилог"_w},
    {34, 15, 232960, "NBL 140", "Образ 140 К [nibble]"_w},
    {159, 20, 860160, "DSK 800", "Образ 800 К без эпилога"_w},
    {159, 20, 860164, "DSK 800", "Образ 800 К + 4 байта эпилог"_w},
    {159, 20, 860288, "DSK 800", "Образ 800 К + 128 байт эпилог"_w},
    {159, 20, 947520, "NBL 800", "Образ 800 К [nibble]"_w},
    {159, 20, 2068480, "AIM 800", "Образ 800 К [AIM]"_w},
    {159, 20, 860416, "DSK800E", "Образ 800 К + 256 байт заголовок эмулятора"_w},
}};

// A set bit means the sector is free. On 140 KB disks byte 0 of the mask holds
// sectors 15..8 and byte 1 sectors 7..0; on 800 KB disks byte 0 holds 20..13,
// byte 1 12..5 and bits 7..3 of byte 2 sectors 4..0.
const TVTOCMASKS FC_VTOCMASK140 = {0x000100, 0x000200, 0x000400, 0x000800, 0x001000, 0x002000,
                                   0x004000, 0x008000, 0x000001, 0x000002, 0x000004, 0x000008,
                                   0x000010, 0x000020, 0x000040, 0x000080};
const TVTOCMASKS FC_VTOCMASK800 = {0x080000, 0x100000, 0x200000, 0x400000, 0x800000, 0x000100,
                                   0x000200, 0x000400, 0x000800, 0x001000, 0x002000, 0x004000,
                                   0x008000, 0x000001, 0x000002, 0x000004, 0x000008, 0x000010,
                                   0x000020, 0x000040, 0x000080};

bool image_type_of_size(std::uint64_t size, TIMAGET& type) {
  for (int t = 0; t < IMAGE_TYPE_COUNT; ++t) {
    if (static_cast<std::uint64_t>(IMAGEDESC[t].FULLSIZE) == size) {
      type = static_cast<TIMAGET>(t);
      return true;
    }
  }
  return false;
}

void set_geometry(TMEDIA& md, TIMAGET type) {
  md.IMAGET = type;
  md.NUMTR = IMAGEDESC[type].NTR;
  md.NUMSC = IMAGEDESC[type].NSC;
  md.VTOCMASKS = md.NUMSC == 15 ? &FC_VTOCMASK140 : &FC_VTOCMASK800;
}

}  // namespace agat
